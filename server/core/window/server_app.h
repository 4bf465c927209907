#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <QTranslator>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/queued_calls.h"
#include "protocol/server_port.h"
#include "server/core/server_state.h"
#include "server/core/settings.h"
#include "server/core/texts.h"
#include "server/core/window/control_rules.h"
#include "server/core/window/main_window.h"
#include "server/core/window/message_boxes.h"
#include "server/core/window/quit_signals.h"
#include "server/engine/engine.h"
#include "server/engine/engine_door.h"
#include "server/engine/network_thread.h"
#include "server/records/session_writer.h"

namespace quib::server {

class SubjectPanel;

struct ServerOptions {
    std::filesystem::path workDir;               // settings, language files, grafik/, log/, log2/
    std::uint16_t port = protocol::kServerPort;  // tests pass 0 for any free port
    std::optional<QPoint> windowPosition = std::nullopt;  // "-geometry +X+Y"; else centred
    // The millisecond timer the window paces the mirrors by and counts the
    // live round time with; it must be the engine's timer, which tests
    // replace by a clock they move by hand.
    std::function<std::uint32_t()> clock = MonotonicMilliseconds;
};

// The whole experimenter's program: start-up in its fixed order, the main
// loop that owns the window, and the shutdown with its confirmation and the
// credits box. Runs on the main thread; the network thread it starts owns
// the engine between passes (see Engine).
class ServerApp : public QObject {
    Q_OBJECT

  public:
    ServerApp(ServerOptions options, Dialogs& dialogs, LanguageChooser& chooser);
    ~ServerApp() override;

    // Settings and texts, records, working folders, the window, the listening
    // socket and the network thread. False when start-up ended the program;
    // its message has been shown (and the credits box where due).
    bool Start();

    // The main loop: runs until the experimenter's quit is confirmed, then
    // shuts down and shows the credits box.
    void Run();

    // One iteration of the main loop's work: deferred window updates, the
    // live round time, the log view, quit handling. Runs on a wake-up from
    // the network thread and on a timer.
    void Iterate();

    // The window's close box.
    void RequestQuit();
    // A request to end from outside (SIGTERM, SIGINT, SIGHUP): a running
    // game ends without the close box's question, rounds not saved are
    // asked about as for the close box, and the credits box that would wait
    // for a click is left out.
    void RequestQuitFromOutside();

    // After the main loop: stops the network thread, closes every connection
    // and shows the credits box. Safe to call twice.
    void Shutdown();

    // Re-evaluates which controls may be used; with populateLists it first
    // fills the figure lists and the subject selectors.
    void UpdateControls(bool populateLists);

    bool quitConfirmed() const { return state_.quitState == QuitConfirmed; }
    MainWindow* window() const { return window_.get(); }
    Engine& engine() { return *engine_; }
    EngineDoor& door() { return *door_; }
    ServerState& state() { return state_; }
    const ServerTexts& texts() const { return texts_; }
    std::uint16_t port() const;

    // The credits box's text, in the language of the texts: the game's line,
    // then "Programmiert von" and the author credit.
    std::string CreditsText() const;

  private:
    bool CreateWorkingFolders();
    void StartSessionFile();
    void EndSessionFile();
    void BuildWindowTitle(bool withAddresses);
    void ConnectControls();
    void MirrorSettings();
    void FillFigureLists();
    void DrainLog();
    void ApplyDeferredUpdates();
    // Copies the changed parts of the seats' mirrors onto the window's
    // fields if a showing is due (true), else sets the timer for when it
    // is; under the lock.
    bool ShowMirrorChangesIfDue();
    void ShowMirrorChange(int seat, Mirrors::View view, int field);
    void ShowStatusSlot(int slot, int controlId);
    void ShowStatistics();
    void ShowLiveTime();
    void HandleQuit();
    // What becomes of rounds not saved when the program is to end.
    enum class Unsaved { Settled, Cancelled, AskLater };
    // Asks until every unsaved round is written (here or into another
    // folder) or discarded on the experimenter's word; with `mayCancel`
    // the experimenter may go back to the program instead.
    Unsaved SettleUnsavedRounds(bool mayCancel);
    std::optional<std::size_t> UnsavedRounds();
    void WriteUnsavedRoundsElsewhere();
    void WakeMainThread();

    void OnStartToggle();
    void OnAbort();
    void OnResetScores(ResetKind kind);
    // Commands the door refused while the network thread waited in a box,
    // carried out on a later turn of the main loop.
    void RetryRefusedCommands();

    ServerOptions options_;
    // Every box of the program goes through here, so the main loop's work
    // can tell that a box waits for an answer.
    OneBoxAtATime dialogs_;
    LanguageChooser& chooser_;
    // Qt's standard buttons in the language of the texts.
    QTranslator qtTexts_;
    ServerState state_;
    ServerTexts texts_;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<EngineDoor> door_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<SubjectPanel> subjects_;
    std::unique_ptr<CrossThreadMessages> networkMessages_;
    std::unique_ptr<NetworkThread> networkThread_;
    // This run's session file: made at start-up, ended in the shutdown after
    // the network thread (its lines come under stateLock from both threads;
    // its own thread writes them, see session_writer.h).
    std::unique_ptr<SessionWriter> session_;
    std::unique_ptr<QuitSignals> quitSignals_;
    QTimer clockTimer_;
    bool quitFromOutside_ = false;
    // The mirrors change with every frame a player is sent, up to 40 times
    // a second per seat; the window shows them at most every
    // kMirrorRefreshMs, which looks smooth and leaves the processor to the
    // game. Both seats are shown at the same moments: each showing costs a
    // repaint of the window and a trip to the display, which the two seats
    // then share. The timer brings a change that had to wait.
    std::uint32_t mirrorsShownAt_ = 0;
    QTimer mirrorTimer_;
    // The network thread's wake-ups of the main loop.
    QueuedCalls wakeUps_;
    std::atomic<bool> wakePending_{false};
    bool shutDown_ = false;
    // Refused commands waiting to be carried out (see RetryRefusedCommands).
    bool settingsPending_ = false;
    bool startPending_ = false;
    bool abortPending_ = false;
    std::optional<ResetKind> resetPending_;
    // Whether each seat was connected when the door last answered.
    std::array<bool, 2> seatConnected_{};
};

}  // namespace quib::server
