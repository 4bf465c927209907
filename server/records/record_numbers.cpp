#include "server/records/record_numbers.h"

#include "server/records/file_numbering.h"

namespace quib::server {

std::int32_t FolderRecordNumbers::NextGameNumber() {
    return NextFreeNumber(logDir_, 'g');
}

std::int32_t FolderRecordNumbers::NextRoundNumber() {
    return NextFreeNumber(logDir_, 'r');
}

}  // namespace quib::server
