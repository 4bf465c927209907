#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/core/settings.h"
#include "server/core/window/message_boxes.h"

namespace quib::server::testing {

// Stands in for the experimenter at the boxes: records what was shown and
// gives the answers the test scripted (No and Cancel when it runs out).
//
// With boxOpenMs set, each box stays open that long before it is answered and
// runs an event loop meanwhile, as a real modal box does: timers, queued
// calls and the network thread's wake-ups go on being served behind it.
struct ScriptedDialogs : Dialogs {
    int boxOpenMs = 0;
    // When set, runs while a message box is open, in place of the wait of
    // boxOpenMs: the test looks at the program behind the box, and the box
    // is answered when it returns.
    std::function<void()> whileMessageOpen;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::pair<std::string, std::string>> questions;
    std::vector<std::string> inputTitles;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> textAnswers;

    void ShowMessage(const std::string& title, const std::string& text) override {
        messages.emplace_back(title, text);
        if (whileMessageOpen && openBoxes == 0) {
            ++openBoxes;
            whileMessageOpen();
            --openBoxes;
            return;
        }
        StayOpen();
    }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        questions.emplace_back(title, text);
        StayOpen();
        if (yesNoAnswers.empty()) {
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> AskText(const std::string& title, const std::string&,
                                       const std::string&) override {
        inputTitles.push_back(title);
        StayOpen();
        if (textAnswers.empty()) {
            return std::nullopt;
        }
        auto answer = textAnswers.front();
        textAnswers.pop_front();
        return answer;
    }

    std::optional<std::size_t> AskChoice(const std::string& title, const std::string& text,
                                         const std::vector<std::string>& choices) override {
        questions.emplace_back(title, text);
        offeredChoices.push_back(choices);
        StayOpen();
        if (choiceAnswers.empty()) {
            return std::nullopt;
        }
        const std::optional<std::size_t> answer = choiceAnswers.front();
        choiceAnswers.pop_front();
        return answer;
    }
    std::optional<std::filesystem::path> AskFolder(const std::string& title) override {
        inputTitles.push_back(title);
        StayOpen();
        if (folderAnswers.empty()) {
            return std::nullopt;
        }
        auto answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }
    std::vector<std::vector<std::string>> offeredChoices;
    std::deque<std::optional<std::size_t>> choiceAnswers;
    std::deque<std::optional<std::filesystem::path>> folderAnswers;

    // A box asked for while another is open is recorded and answered at
    // once, so that a pile of boxes shows in the records instead of nesting
    // event loops until the test times out.
    void StayOpen() {
        if (boxOpenMs <= 0 || openBoxes > 0) {
            return;
        }
        ++openBoxes;
        // Events are served by hand rather than by QEventLoop::exec: a test
        // before this one may have ended "the program" with
        // QCoreApplication::exit, after which every exec returns at once.
        const QDeadlineTimer closes(boxOpenMs);
        while (!closes.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            10);
        }
        --openBoxes;
    }
    int openBoxes = 0;
};

// The language dialog, answered with a fixed entry.
struct ScriptedChooser : LanguageChooser {
    std::vector<std::vector<LanguageChoice>> offered;
    std::optional<std::size_t> answer = 0;
    std::optional<std::size_t> Choose(const std::vector<LanguageChoice>& choices) override {
        offered.push_back(choices);
        return answer;
    }
};

}  // namespace quib::server::testing
