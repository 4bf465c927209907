// quib_client: the player's program. "/d" as the first argument ends it
// without a box when the server goes away; "-geometry +X+Y" opens the window
// there.

#include <QApplication>

#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "client/connection.h"
#include "client/window/client_app.h"
#include "client/window/qt_options_prompts.h"
#include "common/window_position.h"

int main(int argc, char* argv[]) {
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
