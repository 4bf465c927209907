#pragma once

#include <QPointer>
#include <QWidget>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "common/queued_calls.h"
#include "server/core/message_sink.h"
#include "server/core/state_lock.h"

namespace quib::server {

// Everything the server asks the experimenter in modal boxes. Called on the
// main thread only. Texts are Windows-1252.
class Dialogs : public MessageSink {
  public:
    // The window the boxes belong to, once it exists.
    virtual void SetParent(QWidget*) {}
    // Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
    // A text input box; nullopt when cancelled.
    virtual std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                               const std::string& initial) = 0;
    // Whether one of these boxes is waiting for the experimenter.
    virtual bool BoxOpen() const { return false; }
};

// A modal box runs an event loop of its own until it is answered, and in it
// the main loop's timer and the network thread's wake-ups go on calling the
// main loop's work, which may want to ask the same question again. Wrapped
// around the real boxes, this tells that work a box is already open, so that
// it waits for the answer instead of piling up boxes.
class OneBoxAtATime : public Dialogs {
  public:
    explicit OneBoxAtATime(Dialogs& boxes) : boxes_(boxes) {}

    void SetParent(QWidget* parent) override { boxes_.SetParent(parent); }
    void ShowMessage(const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;
    std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
    bool BoxOpen() const override { return open_ > 0; }

  private:
    struct Opened {
        explicit Opened(int& open) : open_(open) { ++open_; }
        ~Opened() { --open_; }
        Opened(const Opened&) = delete;
        Opened& operator=(const Opened&) = delete;
        int& open_;
    };

    Dialogs& boxes_;
    int open_ = 0;  // boxes shown and not yet closed; main thread only
};

// The real boxes, Qt's QMessageBox and QInputDialog showing plain text.
class QtDialogs : public Dialogs {
  public:
    void SetParent(QWidget* parent) override { parent_ = parent; }
    void ShowMessage(const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;
    std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;

  private:
    QPointer<QWidget> parent_;
};

// Lets the network thread show a box: the box is shown by the main thread,
// and the calling thread waits until it is closed. While it waits it lets go
// of stateLock entirely, so that the main thread, which needs the lock for
// its own work, can never deadlock with it. On the main thread the box is
// shown directly.
class CrossThreadMessages : public MessageSink {
  public:
    // `context` is any QObject living on the main thread; constructed on the
    // main thread. Once `context` is gone, boxes are no longer shown.
    CrossThreadMessages(MessageSink& mainThreadBoxes, StateLock& lock, QObject* context);

    void ShowMessage(const std::string& title, const std::string& text) override;

    // At shutdown, once the main loop no longer runs: waiting callers return
    // at once and later calls show nothing.
    void Shutdown();

  private:
    MessageSink& boxes_;
    StateLock& lock_;
    // The boxes' way to the main thread; a child of `context`.
    QPointer<QueuedCalls> mainThread_;
    std::mutex mutex_;
    std::condition_variable closed_;
    bool shutdown_ = false;  // guarded by mutex_
};

}  // namespace quib::server
