#include "server/core/window/message_boxes.h"

#include <QThread>
#include <memory>
#include <utility>

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

std::optional<std::size_t> QtDialogs::AskChoice(const std::string& title, const std::string& text,
                                                const std::vector<std::string>& choices) {
    QStringList labels;
    for (const std::string& choice : choices) {
        labels.push_back(ToQt(choice));
    }
    const std::optional<int> chosen = AskPlainChoice(parent_, ToQt(title), ToQt(text), labels);
    if (!chosen) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(*chosen);
}

std::optional<std::filesystem::path> QtDialogs::AskFolder(const std::string& title) {
    const std::optional<QString> folder = AskPlainFolder(parent_, ToQt(title));
    if (!folder) {
        return std::nullopt;
    }
    return std::filesystem::path(folder->toStdString());
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

std::optional<std::size_t> OneBoxAtATime::AskChoice(const std::string& title,
                                                    const std::string& text,
                                                    const std::vector<std::string>& choices) {
    const Opened opened(open_);
    return boxes_.AskChoice(title, text, choices);
}

std::optional<std::filesystem::path> OneBoxAtATime::AskFolder(const std::string& title) {
    const Opened opened(open_);
    return boxes_.AskFolder(title);
}

CrossThreadMessages::CrossThreadMessages(MessageSink& mainThreadBoxes, QObject* context,
                                         std::function<void(const std::string&)> overflow)
    : boxes_(mainThreadBoxes),
      overflow_(std::move(overflow)),
      mainThread_(context != nullptr ? new QueuedCalls(context) : nullptr) {}

void CrossThreadMessages::ShowMessage(const std::string& title, const std::string& text) {
    if (mainThread_ && QThread::currentThread() == mainThread_->thread()) {
        boxes_.ShowMessage(title, text);
        return;
    }
    bool queued = false;
    {
        std::lock_guard guard(mutex_);
        if (shutdown_ || !mainThread_) {
            return;
        }
        if (!pending_) {
            pending_ = true;
            queued = true;
            mainThread_->Post([this, title, text] {
                {
                    std::lock_guard check(mutex_);
                    if (shutdown_) {
                        return;
                    }
                }
                boxes_.ShowMessage(title, text);
                std::lock_guard done(mutex_);
                pending_ = false;
            });
        }
    }
    if (!queued && overflow_) {
        overflow_(text);
    }
}

bool CrossThreadMessages::BoxPending() const {
    std::lock_guard guard(mutex_);
    return pending_;
}

void CrossThreadMessages::Shutdown() {
    std::lock_guard guard(mutex_);
    shutdown_ = true;
}

}  // namespace quib::server
