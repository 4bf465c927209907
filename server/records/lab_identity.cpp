#include "server/records/lab_identity.h"

#include <optional>

#include "common/file_io.h"
#include "server/records/session_file.h"

namespace quib::server {

LabIdentity LoadOrMakeLabIdentity(const std::filesystem::path& workDir,
                                  unsigned long long randomBits) {
    const std::filesystem::path file = workDir / kLabIdFileName;
    if (NameTaken(file)) {
        const std::optional<std::string> text = ReadWholeFile(file, LinkRule::Refuse);
        const std::optional<std::string> id = text ? LabIdFromFileText(*text) : std::nullopt;
        if (!id) {
            return {"", LabIdentity::Source::Unusable};
        }
        return {*id, LabIdentity::Source::Read};
    }
    std::string id = NewLabId(randomBits);
    switch (WriteFileAtomically(file, id + "\n", WriteMode::CreateNew)) {
        case WriteResult::Written:
            return {std::move(id), LabIdentity::Source::Made};
        case WriteResult::AlreadyExists:
            // Another server made one in the same moment: that one counts.
            return LoadOrMakeLabIdentity(workDir, randomBits);
        default:
            return {"", LabIdentity::Source::NotWritten};
    }
}

}  // namespace quib::server
