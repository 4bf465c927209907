#pragma once

// The player program's TCP connection to the server and the thread that
// answers the server's frames on it.
//
// The client never sends on its own: each received frame gets exactly one
// reply. A frame may arrive in several reads; the receiver completes it (or
// gives it up as bad after its completion limit, skipping the rest of it
// when that comes later, so the frame is answered once) before it is handled.
//
// Threads: ConnectToServer and LocalHostName run on the GUI thread before the
// loop starts. ClientNetworkLoop's thread owns the socket, the receiver, the
// session (and through it the drawing executor) while it runs; the GUI
// thread only constructs, starts and stops it. The foreground flag and the
// key state are the only data read across the two threads, both atomic.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "client/client_session.h"
#include "client/key_state.h"
#include "common/unique_fd.h"
#include "protocol/receiver.h"

namespace quib::client {

// Opens a TCP connection to `address` (dotted decimal as the options dialog
// accepts it, or a host name) and `port`. The connect blocks for as long as
// the system's connect takes; the socket is then switched to non-blocking
// with Nagle's delay off, because every reply is one small, urgent send.
// An invalid UniqueFd when no connection could be made.
UniqueFd ConnectToServer(const std::string& address, int port);

// The local computer's host name; empty when it cannot be read.
std::string LocalHostName();

// Why the loop ended on its own.
enum class NetworkOutcome {
    Lost,        // the server closed the connection, or polling or reading failed
    SendFailed,  // a reply could not be sent in one piece
};

class ClientNetworkLoop {
  public:
    // Called once, on the network thread, just before the thread ends on its
    // own. The GUI decides what to show; the handler must not touch widgets
    // directly (queue to the GUI thread instead).
    using OutcomeHandler = std::function<void(NetworkOutcome)>;

    // `session`, `foreground` and `keys` must outlive the loop. `foreground`
    // tells whether the window has the keyboard; `keys` may be nullptr.
    ClientNetworkLoop(UniqueFd socket, ClientSession& session, std::string hostName,
                      const std::atomic<bool>& foreground, KeyState* keys,
                      OutcomeHandler onOutcome);
    ~ClientNetworkLoop();  // Stop()

    ClientNetworkLoop(const ClientNetworkLoop&) = delete;
    ClientNetworkLoop& operator=(const ClientNetworkLoop&) = delete;

    // Called on the network thread after each reply has gone out: the work
    // of a frame that need not hold up its reply (handing the pictures to
    // the window). Set before Start.
    void SetAfterReply(std::function<void()> afterReply) { afterReply_ = std::move(afterReply); }

    // Starts the thread; call once.
    void Start();

    // Sets the quit flag and waits for the thread; the connection is closed
    // afterwards. Safe to call more than once, and after the loop has ended
    // on its own. Never call it from the outcome handler.
    void Stop();

  private:
    void Run();
    // False when the loop has to end (the outcome has been reported, or the
    // loop is stopping).
    bool ReadAvailable();
    bool AnswerFrame();

    UniqueFd socket_;
    ClientSession& session_;
    std::string hostName_;
    const std::atomic<bool>& foreground_;
    KeyState* keys_;
    OutcomeHandler onOutcome_;
    std::function<void()> afterReply_;
    // 64 KiB: allocated once, reused for every frame.
    std::unique_ptr<protocol::FrameReceiver> receiver_;
    std::atomic<bool> quit_{false};
    // Written by Stop to end the loop's wait at once.
    UniqueFd wake_;
    std::thread thread_;
};

}  // namespace quib::client
