// quib_client: the player's program. Loads the settings (asking the options
// when they say so) and texts, opens the window, connects to the server and
// answers its frames on a network thread until the window closes or the
// server goes away.
//
// Threads: everything here runs on the GUI thread except the loop's outcome
// handler, which only queues work to the window.

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QScreen>
#include <QString>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "client/client_session.h"
#include "client/client_settings.h"
#include "client/client_texts.h"
#include "client/connection.h"
#include "client/key_state.h"
#include "client/screen_geometry.h"
#include "client/window/client_window.h"
#include "client/window/options_flow.h"
#include "client/window/qt_options_prompts.h"
#include "common/codepage.h"
#include "common/drawing.h"
#include "common/unique_fd.h"

namespace {

using quib::client::ClientSettings;
using quib::client::ClientTexts;
using quib::client::ClientWindow;
using quib::client::TextField;

// Status line backgrounds, red in the low byte.
constexpr quib::protocol::Colour kConnectingColour = 0x009696FF;  // 255, 150, 150
constexpr quib::protocol::Colour kFailureColour = 0x004B4BFF;     // 255, 75, 75
constexpr quib::protocol::Colour kConnectedColour = 0x0096FF96;   // 150, 255, 150

constexpr const char* kAuthorCredit = "dem quib-Team";

QString ToQt(std::string_view cp1252) {
    return QString::fromStdString(quib::Cp1252ToUtf8(cp1252));
}

std::string ServerAddress(const ClientSettings& settings) {
    return settings.ip + ":" + std::to_string(settings.port);
}

// Connects, asking whether to retry after each failure. An invalid fd when
// the player gave up; the next start then offers the options dialog.
quib::UniqueFd ConnectWithRetry(ClientWindow& window, const ClientSettings& settings,
                                const ClientTexts& texts, const std::filesystem::path& workDir) {
    for (;;) {
        window.ShowText(TextField::Left, kConnectingColour, texts[10]);
        // Paint the status line before the connect blocks.
        QApplication::processEvents();
        quib::UniqueFd socket = quib::client::ConnectToServer(settings.ip, settings.port);
        if (socket) {
            window.ShowText(TextField::Left, kConnectedColour, texts[14]);
            return socket;
        }
        window.ShowText(TextField::Left, kFailureColour, texts[11]);
        const QMessageBox::StandardButton answer = QMessageBox::question(
            &window, ToQt(texts[12] + " " + ServerAddress(settings)), ToQt(texts[13]),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        // A settings file that cannot be written leaves nothing to give up
        // to: try again as for Yes.
        if (answer == QMessageBox::No && quib::client::RequestOptionsAtNextStart(workDir)) {
            return {};
        }
    }
}

void PlaceWindow(ClientWindow& window, const ClientSettings& settings) {
    if (settings.fullscreen == 1) {
        window.showMaximized();
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        window.move(available.center() - window.rect().center());
    }
    window.show();
}

}  // namespace

int main(int argc, char* argv[]) {
    // Compared before Qt may take its own options out of argv.
    const bool quietOnLoss = argc > 1 && std::strcmp(argv[1], "/d") == 0;
    QApplication app(argc, argv);

    std::error_code error;
    const std::filesystem::path workDir = std::filesystem::current_path(error);
    ClientSettings settings = quib::client::LoadClientSettings(workDir);
    quib::client::QtOptionsPrompts prompts;
    const ClientTexts texts = settings.askOptions == 1
                                  ? quib::client::RunOptions(workDir, settings, prompts)
                                  : quib::client::LoadClientTexts(workDir, settings.language);

    const quib::client::ScreenGeometry geometry = quib::client::ComputeScreenGeometry(
        std::max(1, settings.baseHight), settings.baseFontSize, 0, 0);
    quib::DrawingExecutor drawing(
        quib::DrawingConfig{geometry.unit, geometry.unit, workDir / "grafik", geometry.scale});
    quib::client::KeyState keys;
    ClientWindow window(settings, keys, texts[0] + " - " + texts[1] + " " + kAuthorCredit);
    window.ShowFrontImages(*drawing.Image(0), *drawing.Image(2));
    PlaceWindow(window, settings);

    quib::UniqueFd socket = ConnectWithRetry(window, settings, texts, workDir);
    if (!socket) {
        return 0;
    }

    // From here on the session and the drawing belong to the network thread;
    // what they show reaches the window queued.
    drawing.onPresent = [&drawing, &window] {
        window.PostFrontImages(*drawing.Image(0), *drawing.Image(2));
    };
    quib::client::ClientSession session(
        drawing, [&window](TextField field, quib::protocol::Colour colour, std::string_view text) {
            window.PostText(field, colour, text);
        });
    const std::string address = ServerAddress(settings);
    quib::client::ClientNetworkLoop loop(
        std::move(socket), session, quib::client::LocalHostName(), window.foreground(), &keys,
        [&window, &texts, &address, quietOnLoss](quib::client::NetworkOutcome outcome) {
            QMetaObject::invokeMethod(
                &window,
                [&window, &texts, &address, quietOnLoss, outcome] {
                    if (outcome == quib::client::NetworkOutcome::Lost) {
                        window.ShowText(TextField::Left, kFailureColour, texts[15]);
                        if (!quietOnLoss) {
                            QMessageBox::information(
                                &window, ToQt(texts[16]),
                                ToQt(texts[17] + " (" + address + ") " + texts[18]));
                        }
                    } else {
                        QMessageBox::information(&window, ToQt(texts[19]), ToQt(texts[20]));
                    }
                    QApplication::quit();
                },
                Qt::QueuedConnection);
        });
    loop.Start();
    app.exec();
    loop.Stop();
    return 0;
}
