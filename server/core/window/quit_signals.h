#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace quib::server {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a system shutdown, Ctrl+C in
// the terminal, a closed terminal) into a call on the main thread. Their
// default action ends the program at once: rounds waiting in memory for a
// full disk would be lost without a word, and a record write cut off in the
// middle would leave its temporary files behind. The handler only writes a
// byte into a pipe, the one thing a signal handler may safely do; the
// pipe's reading end wakes the main loop, which then ends the program as
// its close box does.
//
// One per process, made and destroyed on the main thread; the signals get
// their default action back when it is destroyed.
class QuitSignals : public QObject {
  public:
    explicit QuitSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // Whether the handlers are in place (a pipe could be made).
    bool installed() const { return notifier_ != nullptr; }

  private:
    void Drain();

    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quib::server
