#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quib::server {

// The option that makes quib_server check a lab's records instead of
// opening its window.
inline constexpr const char* kCheckRecordsOption = "--check-records";

// The exit statuses of the check.
inline constexpr int kRecordsAgree = 0;
inline constexpr int kRecordsDisagree = 1;
inline constexpr int kRecordsNotChecked = 2;  // bad arguments or no usable folder

// "quib_server --check-records [folder]", given the arguments after the
// option: checks the records below the folder (the current directory when
// none is given) with the texts the server would load there, prints every
// problem as one line and then a summary line to `out`, and returns the exit
// status. A usage or folder error goes to `err`. Needs no display.
int RunRecordsCheckCommand(const std::vector<std::string>& arguments, std::ostream& out,
                           std::ostream& err);

}  // namespace quib::server
