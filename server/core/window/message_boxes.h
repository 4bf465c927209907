#pragma once

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/queued_calls.h"
#include "server/core/message_sink.h"

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
    // A warning with one button per choice and Cancel: the index of the
    // choice, nullopt for Cancel.
    virtual std::optional<std::size_t> AskChoice(const std::string& title, const std::string& text,
                                                 const std::vector<std::string>& choices) = 0;
    // A folder chooser; the folder, nullopt when cancelled.
    virtual std::optional<std::filesystem::path> AskFolder(const std::string& title) = 0;
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
    std::optional<std::size_t> AskChoice(const std::string& title, const std::string& text,
                                         const std::vector<std::string>& choices) override;
    std::optional<std::filesystem::path> AskFolder(const std::string& title) override;
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
    std::optional<std::size_t> AskChoice(const std::string& title, const std::string& text,
                                         const std::vector<std::string>& choices) override;
    std::optional<std::filesystem::path> AskFolder(const std::string& title) override;

  private:
    QPointer<QWidget> parent_;
};

// Lets the network thread report a failure in a box without waiting for it.
// The box is shown by the main thread and the caller goes on at once: a
// record file that cannot be written (a full disk) must not freeze both
// players' screens for as long as the experimenter takes to read the box,
// since the round is safe in memory and written once writing works. While
// one such box waits to be shown or is open, further messages go to
// `overflow` (the log view) instead of piling up boxes. On the main thread
// the box is shown directly and waited for.
class CrossThreadMessages : public MessageSink {
  public:
    // `context` is any QObject living on the main thread; constructed on the
    // main thread. Once `context` is gone, boxes are no longer shown.
    // `overflow` gets the text of a message that finds a box open; it is
    // called on the caller's thread, with no lock of this object held.
    CrossThreadMessages(MessageSink& mainThreadBoxes, QObject* context,
                        std::function<void(const std::string& text)> overflow);

    void ShowMessage(const std::string& title, const std::string& text) override;

    // Whether a box of another thread's waits to be shown or is open.
    bool BoxPending() const;

    // At shutdown, once the main loop no longer runs: boxes queued and not
    // yet shown are dropped, and later calls show nothing.
    void Shutdown();

  private:
    MessageSink& boxes_;
    std::function<void(const std::string&)> overflow_;
    // The boxes' way to the main thread; a child of `context`.
    QPointer<QueuedCalls> mainThread_;
    mutable std::mutex mutex_;
    bool pending_ = false;   // guarded by mutex_
    bool shutdown_ = false;  // guarded by mutex_
};

}  // namespace quib::server
