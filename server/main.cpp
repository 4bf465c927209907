// quib_server: the experimenter's console. Everything lives in the libraries;
// this only wires the real dialogs to the program and runs it in the
// current working directory.
#include <QApplication>
#include <filesystem>

#include "server/core/window/language_dialog.h"
#include "server/core/window/message_boxes.h"
#include "server/core/window/server_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    quib::server::QtDialogs dialogs;
    quib::server::QtLanguageChooser chooser;
    quib::server::ServerApp server({std::filesystem::current_path(), 6832}, dialogs, chooser);
    if (server.Start()) {
        server.Run();
    }
    return 0;
}
