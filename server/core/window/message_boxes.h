#pragma once

#include <QPointer>
#include <QWidget>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

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
    // `context` is any QObject living on the main thread.
    CrossThreadMessages(MessageSink& mainThreadBoxes, StateLock& lock, QObject* context);

    void ShowMessage(const std::string& title, const std::string& text) override;

    // At shutdown, once the main loop no longer runs: waiting callers return
    // at once and later calls show nothing.
    void Shutdown();

  private:
    MessageSink& boxes_;
    StateLock& lock_;
    QPointer<QObject> context_;
    std::mutex mutex_;
    std::condition_variable closed_;
    bool shutdown_ = false;  // guarded by mutex_
};

}  // namespace quib::server
