#pragma once

// The folders below a program's working folder. Their names are fixed: a
// lab installs the figure pictures into grafik/ beside both programs, and
// its evaluation reads the server's records from log/ and log2/.

#include <array>
#include <filesystem>

namespace quib {

inline constexpr const char* kPictureFolderName = "grafik";
inline constexpr const char* kLogFolderName = "log";
inline constexpr const char* kPositionFolderName = "log2";

// The names in the order the server makes the folders at start-up.
inline constexpr std::array<const char*, 3> kWorkFolderNames = {kPictureFolderName, kLogFolderName,
                                                                kPositionFolderName};

struct WorkFolders {
    std::filesystem::path grafik;  // the figure pictures (both programs)
    std::filesystem::path log;     // subject, round and game files (the server)
    std::filesystem::path log2;    // the games' position files (the server)

    // The three folders below `workDir`.
    static WorkFolders In(const std::filesystem::path& workDir) {
        return {workDir / kPictureFolderName, workDir / kLogFolderName,
                workDir / kPositionFolderName};
    }
};

}  // namespace quib
