#pragma once

#include <atomic>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace quib::tools {

// A player program reduced to the protocol: it connects to the server and
// answers every frame with exactly one reply, the way the real player
// program does (a normal reply with its host name when asked and the keys
// held down, or the bad-frame report for a frame that fails its checks). It
// draws nothing, so a picture it is told to load never fails.
//
// Its loop runs on a thread of its own. The settings may be changed from any
// thread at any time; the records of what arrived are read thread-safely.
//
// For tests of the server's rhythm it also notes every time bytes arrive
// while it still owes the reply to the previous frame: the server must never
// send a second frame before the reply to the first is in.
class TestClient {
  public:
    TestClient();
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    // Connects to `host` (dotted address or host name) at `port` and starts
    // answering. False when the connection cannot be made or the client is
    // already connected.
    bool Connect(std::uint16_t port, const std::string& host = "127.0.0.1");
    // Disconnects and stops the loop; waits for it. Safe to call repeatedly.
    void Close();

    void SetHostName(std::string name);
    // The keys held down (Windows virtual-key codes), reported while the
    // client counts as in the foreground (the default).
    void SetKeysDown(std::bitset<256> keys);
    void SetForeground(bool foreground);
    // Waits this long after a frame before answering it.
    void SetReplyDelayMs(int delayMs);
    // false: frames that arrive from now on are not answered (a hung player
    // program); the test may answer by hand with SendRaw.
    void SetAnswering(bool answering);
    // Decides the keys of each normal reply from the good frame it answers,
    // in place of SetKeysDown: a player that reacts to what the server shows
    // knows exactly which reply carried a key. Called on the loop thread;
    // set before Connect.
    using KeySource = std::function<std::bitset<256>(std::span<const std::uint8_t> frame)>;
    void SetKeySource(KeySource source);
    // false: frames are counted but not kept (a long-running player would
    // otherwise hold every frame of the session). Set before Connect.
    void SetKeepFrames(bool keep);
    // Sends bytes as they are, for replies a real player would not send.
    // Counts as the answer to a frame still owed.
    bool SendRaw(std::span<const std::uint8_t> bytes);

    std::size_t FramesReceived() const;
    // Every frame received, in order (a frame that failed to complete holds
    // the bytes that arrived).
    std::vector<std::vector<std::uint8_t>> Frames() const;
    std::size_t BytesReceived() const;
    std::size_t RepliesSent() const;
    // Times bytes arrived while the reply to the previous frame was owed.
    std::size_t RhythmViolations() const;
    // The server closed the connection (or it broke).
    bool ClosedByServer() const;

    // Wait, at most `timeout`, for the condition; true when it holds.
    bool WaitForFrames(std::size_t count, std::chrono::milliseconds timeout) const;
    bool WaitForClosedByServer(std::chrono::milliseconds timeout) const;

  private:
    struct LoopState;

    void Loop();
    void TakeFrame(LoopState& loop);
    void AnswerIfDue(LoopState& loop);
    bool SendAll(std::span<const std::uint8_t> bytes);

    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;

    mutable std::mutex mutex_;  // guards everything below
    mutable std::condition_variable changed_;
    KeySource keySource_;  // set before the loop starts, then only read by it
    std::string hostName_ = "testclient";
    std::bitset<256> keysDown_;
    bool foreground_ = true;
    int replyDelayMs_ = 0;
    bool answering_ = true;
    bool replyOwed_ = false;
    bool keepFrames_ = true;
    std::size_t framesReceived_ = 0;
    std::vector<std::vector<std::uint8_t>> frames_;
    std::size_t bytesReceived_ = 0;
    std::size_t repliesSent_ = 0;
    std::size_t rhythmViolations_ = 0;
    bool closedByServer_ = false;

    std::mutex sendMutex_;  // one send at a time: the loop's replies, SendRaw
};

}  // namespace quib::tools
