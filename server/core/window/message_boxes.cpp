#include "server/core/window/message_boxes.h"

#include <QThread>
#include <memory>

#include "common/plain_widgets.h"
#include "server/core/window/qt_text.h"

namespace quib::server {

void QtDialogs::ShowMessage(const std::string& title, const std::string& text) {
    ShowPlainInformation(parent_, ToQt(title), ToQt(text));
}

bool QtDialogs::AskYesNo(const std::string& title, const std::string& text) {
    return AskPlainYesNo(parent_, ToQt(title), ToQt(text));
}

std::optional<std::string> QtDialogs::AskText(const std::string& title, const std::string& prompt,
                                              const std::string& initial) {
    const std::optional<QString> answer =
        AskPlainText(parent_, ToQt(title), ToQt(prompt), ToQt(initial));
    if (!answer) {
        return std::nullopt;
    }
    return FromQt(*answer);
}

void OneBoxAtATime::ShowMessage(const std::string& title, const std::string& text) {
    const Opened opened(open_);
    boxes_.ShowMessage(title, text);
}

bool OneBoxAtATime::AskYesNo(const std::string& title, const std::string& text) {
    const Opened opened(open_);
    return boxes_.AskYesNo(title, text);
}

std::optional<std::string> OneBoxAtATime::AskText(const std::string& title,
                                                  const std::string& prompt,
                                                  const std::string& initial) {
    const Opened opened(open_);
    return boxes_.AskText(title, prompt, initial);
}

CrossThreadMessages::CrossThreadMessages(MessageSink& mainThreadBoxes, StateLock& lock,
                                         QObject* context)
    : boxes_(mainThreadBoxes),
      lock_(lock),
      mainThread_(context != nullptr ? new QueuedCalls(context) : nullptr) {}

void CrossThreadMessages::ShowMessage(const std::string& title, const std::string& text) {
    if (mainThread_ && QThread::currentThread() == mainThread_->thread()) {
        boxes_.ShowMessage(title, text);
        return;
    }
    // Shared with the queued call, which may still run after a shutdown has
    // released this caller.
    auto closed = std::make_shared<bool>(false);
    {
        std::lock_guard guard(mutex_);
        if (shutdown_ || !mainThread_) {
            return;
        }
        mainThread_->Post([this, title, text, closed] {
            {
                std::lock_guard check(mutex_);
                if (shutdown_) {
                    return;
                }
            }
            boxes_.ShowMessage(title, text);
            std::lock_guard done(mutex_);
            *closed = true;
            closed_.notify_all();
        });
    }
    const int levels = lock_.ReleaseAll();
    {
        std::unique_lock guard(mutex_);
        closed_.wait(guard, [&] { return *closed || shutdown_; });
    }
    lock_.Reacquire(levels);
}

void CrossThreadMessages::Shutdown() {
    std::lock_guard guard(mutex_);
    shutdown_ = true;
    closed_.notify_all();
}

}  // namespace quib::server
