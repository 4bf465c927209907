#pragma once

// The lab folder's identity, kept in lab_id.txt beside log/ and log2/ so
// that session files copied together from several labs can still be told
// apart. Made once, by the first start of the server in the folder; after
// that only read.

#include <filesystem>
#include <string>

namespace quib::server {

struct LabIdentity {
    enum class Source {
        Read,        // lab_id.txt held a valid identity
        Made,        // there was none, a new one was written
        Unusable,    // lab_id.txt is there but holds no valid identity (left as it is)
        NotWritten,  // there was none and the new one could not be written
    };
    std::string id;  // empty unless Read or Made
    Source source = Source::Read;
};

// Reads `workDir`/lab_id.txt; when no entry of that name exists, writes a
// new identity made from `randomBits` (crash-safe: a temporary file renamed
// into place, never over an existing name, never through a link). A name
// taken by a link or anything but a regular file counts as Unusable and is
// never followed.
LabIdentity LoadOrMakeLabIdentity(const std::filesystem::path& workDir,
                                  unsigned long long randomBits);

}  // namespace quib::server
