#include "server/records/session_start.h"

#include "common/codepage.h"
#include "common/command_line.h"
#include "server/records/lab_identity.h"
#include "server/records/session_file.h"
#include "server/records/session_output.h"

namespace quib::server {

namespace fs = std::filesystem;

namespace {

std::string Shown(const fs::path& path) {
    return Utf8ToCp1252(path.string());
}

std::string LabIdOf(const fs::path& workDir, unsigned long long randomBits,
                    const ServerTexts& texts, const SessionLogLine& log) {
    const LabIdentity lab = LoadOrMakeLabIdentity(workDir, randomBits);
    const std::string file = Shown(workDir / kLabIdFileName);
    if (lab.source == LabIdentity::Source::Unusable) {
        log(texts[txt::kLabIdUnusable] + " " + file);
    } else if (lab.source == LabIdentity::Source::NotWritten) {
        log(texts[txt::kCannotWriteFile] + " " + file);
    }
    return lab.id;
}

SessionWriter::Reports ReportsTo(const std::string& file, const ServerTexts& texts,
                                 const SessionLogLine& log) {
    return {
        [=, &texts] { log(texts[txt::kSessionNotWritten] + " " + file); },
        [=, &texts] { log(texts[txt::kSessionLinesDropped] + " " + file); },
        [=, &texts](std::size_t lost) {
            log(texts[txt::kSessionLinesLost] + " " + std::to_string(lost));
        },
    };
}

}  // namespace

std::unique_ptr<SessionWriter> StartSession(const fs::path& workDir, unsigned long long randomBits,
                                            const LocalTime& now, const ServerTexts& texts,
                                            const SessionLogLine& log) {
    const std::string labId = LabIdOf(workDir, randomBits, texts, log);
    const fs::path dir = workDir / kSessionFolderName;
    for (const std::string& name : RepairSessionFiles(dir)) {
        log(texts[txt::kSessionLineRepaired] + " " + Shown(dir / name));
    }
    std::optional<NewSessionFile> file = CreateSessionFile(dir);
    if (!file) {
        log(texts[txt::kCannotWriteFile] + " " + Shown(dir) + "/");
        return nullptr;
    }
    const SessionHeader header{file->name, labId, std::string(Version()), FormatIsoMs(now)};
    auto writer =
        std::make_unique<SessionWriter>(std::make_unique<SessionFileOutput>(std::move(file->fd)),
                                        ReportsTo(Shown(dir / file->name), texts, log));
    writer->Append(FormatSessionHeader(header));
    return writer;
}

}  // namespace quib::server
