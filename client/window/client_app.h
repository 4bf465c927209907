#pragma once

// The player's program from start to end: settings and texts (asking the
// options when they say so), the window with its two pictures, the
// connection with the retry question, and the network thread until the
// window closes or the server goes away.
//
// Threads: everything here runs on the GUI thread. The network loop's
// outcome handler only queues work to the window; the boxes and the quit
// request run there.

#include <QPoint>
#include <QTranslator>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/client_session.h"
#include "client/client_settings.h"
#include "client/client_texts.h"
#include "client/connection.h"
#include "client/key_state.h"
#include "client/window/client_window.h"
#include "client/window/options_flow.h"
#include "common/drawing.h"
#include "common/unique_fd.h"

namespace quib::client {

struct ClientAppConfig {
    // Where the settings, texts and grafik/ are.
    std::filesystem::path workDir;
    // "/d": a lost server ends the program without a box.
    bool quietOnLoss = false;
    // Sent when the server asks for it.
    std::string hostName;
    // Where the window opens ("-geometry +X+Y"); centred when not given.
    std::optional<QPoint> windowPosition = std::nullopt;
};

class ClientApp {
  public:
    // Asks the program to end once the current event has been handled.
    using QuitRequest = std::function<void()>;

    // `prompts` asks the options, the retry question and shows the closing
    // boxes; it must outlive the app.
    ClientApp(ClientAppConfig config, OptionsPrompts& prompts, QuitRequest quit);
    ~ClientApp();  // StopNetwork()

    ClientApp(const ClientApp&) = delete;
    ClientApp& operator=(const ClientApp&) = delete;

    // Loads the settings (running the options when asked to) and texts,
    // then shows the window with its two black pictures. False, after a
    // box naming the key and its range, when a setting is out of what the
    // window or the connection can work with or the screen images cannot
    // be made; there is then no window and the program is to end.
    bool Open();

    // Connects, asking after each failure whether to try again. False when
    // the player gave up; the next start then offers the options dialog.
    bool Connect();

    // Hands the connection to the network thread.
    void StartNetwork();
    // Waits for the network thread; safe to call more than once.
    void StopNetwork();

    // The title of the retry question for the current settings.
    std::string RetryTitle() const;

    const ClientSettings& settings() const { return settings_; }
    const ClientTexts& texts() const { return texts_; }
    // Valid after Open() returned true.
    ClientWindow& window() { return *window_; }

  private:
    void PlaceWindow();
    std::string ServerAddress() const;
    void OnNetworkOutcome(NetworkOutcome outcome);

    ClientAppConfig config_;
    OptionsPrompts& prompts_;
    QuitRequest quit_;
    ClientSettings settings_;
    ClientTexts texts_;
    // Qt's standard buttons in the language of the texts, for every box of
    // the program while it runs.
    QTranslator qtTexts_;
    KeyState keys_;
    // Declaration order is destruction order reversed: the loop goes first,
    // then what it draws into and reports to.
    std::unique_ptr<DrawingExecutor> drawing_;
    std::unique_ptr<ClientWindow> window_;
    std::unique_ptr<PresentHandOver> handOver_;
    std::unique_ptr<ClientSession> session_;
    UniqueFd socket_;
    std::unique_ptr<ClientNetworkLoop> loop_;
};

// The whole program for the Qt application already constructed: returns the
// process exit code.
int RunClient(ClientAppConfig config, OptionsPrompts& prompts);

}  // namespace quib::client
