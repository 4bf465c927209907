// quib_server: the experimenter's console. Everything lives in the libraries;
// this only wires the real dialogs to the program and runs it in the
// current working directory; "-geometry +X+Y" opens the window there.
// "--check-records [folder]" checks a lab's records instead and needs no
// display; so do "--help" and "--version".
#include <malloc.h>

#include <QApplication>
#include <filesystem>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/window_position.h"
#include "protocol/server_port.h"
#include "server/core/window/language_dialog.h"
#include "server/core/window/message_boxes.h"
#include "server/core/window/server_app.h"
#include "server/records/records_check_command.h"

namespace {

// The text of --help, which is also the source of the manual page (help2man
// makes quib-server.1 from it: "Files:" and "Environment:" become sections
// of their own). `name` is the command as typed.
std::string Usage(const std::string& name) {
    return "Usage: " + name + R"( [-geometry +X+Y]
  or:  )" + name +
           R"( --check-records [FOLDER]
  or:  )" + name +
           R"( --help | --version

The experimenter's console of quib, a two-player coordination game for
behavioural experiments. It runs the game for the two participants'
programs (quib-client), which connect over TCP port 6832, mirrors both
players' screens and writes every move into CSV records. On the first start
it asks for its language.

  -geometry +X+Y    open the main window with its top left corner at X, Y
                    (also WxH+X+Y; the size comes from the settings)
  --check-records [FOLDER]
                    check that the records below FOLDER (the working folder
                    when left out) agree with each other, print every
                    disagreement and a summary, and change nothing; needs no
                    display. Exit status 0 when they agree, 1 when problems
                    were found, 2 without a log/ folder or with wrong
                    arguments
  --help            print this text and exit
  --version         print the version and exit

Qt's own options (-platform, -style, -display ...) take one dash.

Files:
  The working folder is the current directory; the program reads and writes
  everything there: quib_server.prefs (askOptions = 1 shows the language
  dialog at the next start), the language files quib_server_*.lang, the
  figure pictures in grafik/, and the records: subject, round and game files
  in log/, position files in log2/.

Environment:
  QUIB_SERVER_DIR   the working folder the command quib-server of the
                    package starts the program in (default ~/quib-server).
                    quib-server creates it and copies the package's pictures
                    and language files into it where they are missing, then
                    starts /usr/libexec/quib/quib_server there; --help and
                    --version are answered without touching it.
)";
}

}  // namespace

int main(int argc, char** argv) {
    // Before QApplication, which would insist on a display.
    if (argc >= 2 && std::string(argv[1]) == quib::server::kCheckRecordsOption) {
        return quib::server::RunRecordsCheckCommand(std::vector<std::string>(argv + 2, argv + argc),
                                                    std::cout, std::cerr);
    }
    const std::string name = quib::ProgramName(argv[0], "quib_server");
    if (const std::optional<int> status = quib::AnswerEarlyCommand(
            quib::ReadEarlyCommand(std::span<const char* const>(argv + 1, argv + argc)), name,
            Usage(name), std::cout, std::cerr)) {
        return *status;
    }
    // The mirrors take a fresh 900 kB image for nearly every frame a player
    // is sent. Kept in the heap and not handed back to the system at every
    // free, such blocks are reused instead of being mapped and faulted in
    // anew, which otherwise costs more than the drawing itself.
    constexpr int kLargeBlock = 8 << 20;
    mallopt(M_MMAP_THRESHOLD, kLargeBlock);
    mallopt(M_TRIM_THRESHOLD, 4 * kLargeBlock);
    const std::optional<QPoint> windowPosition = quib::TakeWindowPosition(argc, argv);
    QApplication application(argc, argv);
    quib::server::QtDialogs dialogs;
    quib::server::QtLanguageChooser chooser;
    quib::server::ServerApp server(
        {std::filesystem::current_path(), quib::protocol::kServerPort, windowPosition}, dialogs,
        chooser);
    if (server.Start()) {
        server.Run();
    }
    return 0;
}
