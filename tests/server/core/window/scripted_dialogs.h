#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/core/settings.h"
#include "server/core/window/message_boxes.h"

namespace quib::server::testing {

// Stands in for the experimenter at the boxes: records what was shown and
// gives the answers the test scripted (No and Cancel when it runs out).
struct ScriptedDialogs : Dialogs {
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::pair<std::string, std::string>> questions;
    std::vector<std::string> inputTitles;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> textAnswers;

    void ShowMessage(const std::string& title, const std::string& text) override {
        messages.emplace_back(title, text);
    }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        questions.emplace_back(title, text);
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
        if (textAnswers.empty()) {
            return std::nullopt;
        }
        auto answer = textAnswers.front();
        textAnswers.pop_front();
        return answer;
    }
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
