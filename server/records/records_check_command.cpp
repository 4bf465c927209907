#include "server/records/records_check_command.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "common/codepage.h"
#include "server/core/settings.h"
#include "server/records/records_check.h"

namespace quib::server {

int RunRecordsCheckCommand(const std::vector<std::string>& arguments, std::ostream& out,
                           std::ostream& err) {
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0].empty())) {
        err << "usage: quib_server " << kCheckRecordsOption << " [folder]\n";
        return kRecordsNotChecked;
    }
    std::filesystem::path folder;
    if (arguments.empty()) {
        std::error_code error;
        folder = std::filesystem::current_path(error);
        if (error) {
            err << "quib_server: the current directory cannot be read: " << error.message() << "\n";
            return kRecordsNotChecked;
        }
    } else {
        folder = arguments[0];
    }
    const RecordsCheck check = CheckRecords(folder, ReadFolderTexts(folder));
    if (!check.unusable.empty()) {
        // The path is printed as the system spells it; only file texts are
        // Windows-1252.
        err << "quib_server: cannot check the records: " << check.unusable << "\n";
        return kRecordsNotChecked;
    }
    for (const RecordProblem& problem : check.problems) {
        out << Cp1252ToUtf8(ProblemLine(problem)) << "\n";
    }
    out << SummaryLine(check) << std::endl;
    return check.problems.empty() ? kRecordsAgree : kRecordsDisagree;
}

}  // namespace quib::server
