// quib_server: the experimenter's console. Everything lives in the libraries;
// this only wires the real dialogs to the program and runs it in the
// current working directory; "-geometry +X+Y" opens the window there.
// "--check-records [folder]" checks a lab's records instead and needs no
// display.
#include <malloc.h>

#include <QApplication>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "common/window_position.h"
#include "protocol/server_port.h"
#include "server/core/window/language_dialog.h"
#include "server/core/window/message_boxes.h"
#include "server/core/window/server_app.h"
#include "server/records/records_check_command.h"

int main(int argc, char** argv) {
    // Before QApplication, which would insist on a display.
    if (argc >= 2 && std::string(argv[1]) == quib::server::kCheckRecordsOption) {
        return quib::server::RunRecordsCheckCommand(std::vector<std::string>(argv + 2, argv + argc),
                                                    std::cout, std::cerr);
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
