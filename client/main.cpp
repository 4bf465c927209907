// quib_client: the player's program. "/d" as the first argument ends it
// without a box when the server goes away; "-geometry +X+Y" opens the window
// there; "--help" and "--version" are answered without a display.

#include <QApplication>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <span>
#include <string>
#include <system_error>
#include <utility>

#include "client/connection.h"
#include "client/window/client_app.h"
#include "client/window/qt_options_prompts.h"
#include "common/command_line.h"
#include "common/window_position.h"

namespace {

// The text of --help, which is also the source of the manual page (help2man
// makes quib-client.1 from it: "Files:" and "Environment:" become sections
// of their own). `name` is the command as typed.
std::string Usage(const std::string& name) {
    return "Usage: " + name + R"( [/d] [-geometry +X+Y]
  or:  )" + name +
           R"( --help | --version

The participant's program of quib, a two-player coordination game for
behavioural experiments. It connects to the experimenter's quib-server
(address and port from its settings), shows what the server sends and
reports the keys held down. On its first start it asks its options: the
language, full screen, the server's address and whether to ask again.

  /d                as the first argument: end without a message box when
                    the server goes away
  -geometry +X+Y    open the main window with its top left corner at X, Y
                    (also WxH+X+Y; the size comes from the settings)
  --help            print this text and exit
  --version         print the version and exit

Qt's own options (-platform, -style, -display ...) take one dash.

Files:
  The working folder is the current directory; the program reads and writes
  everything there: quib_client.prefs (Fullscreen, baseHight, baseFontSize,
  IP and Port of the server, askOptions = 1 asks the options again at the
  next start, Language), the language files quib_client_*.lang and the
  figure pictures in grafik/.

Environment:
  QUIB_CLIENT_DIR   the working folder the command quib-client of the
                    package starts the program in (default ~/quib-client).
                    quib-client creates it and copies the package's pictures
                    and language files into it where they are missing, then
                    starts /usr/libexec/quib/quib_client there; --help and
                    --version are answered without touching it.
)";
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before QApplication, which would insist on a display.
    const std::string name = quib::ProgramName(argv[0], "quib_client");
    if (const std::optional<int> status = quib::AnswerEarlyCommand(
            quib::ReadEarlyCommand(std::span<const char* const>(argv + 1, argv + argc)), name,
            Usage(name), std::cout, std::cerr)) {
        return *status;
    }
    const std::optional<QPoint> windowPosition = quib::TakeWindowPosition(argc, argv);
    // Compared before Qt may take its own options out of argv.
    const bool quietOnLoss = argc > 1 && std::strcmp(argv[1], "/d") == 0;
    QApplication application(argc, argv);

    std::error_code error;
    quib::client::ClientAppConfig config{std::filesystem::current_path(error), quietOnLoss,
                                         quib::client::LocalHostName(), windowPosition};
    quib::client::QtOptionsPrompts prompts;
    return quib::client::RunClient(std::move(config), prompts);
}
