#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/window/options_flow.h"

namespace quib::client::testing {

// Stands in for the player: records what was asked and gives the scripted
// answers (No and Cancel when they run out).
struct ScriptedPrompts : OptionsPrompts {
    std::vector<std::vector<LanguageChoice>> offered;
    std::size_t languageAnswer = 0;
    // When set, the entry of this name is chosen instead of languageAnswer.
    std::string languageName;
    // Called as each Yes/No question is asked.
    std::function<void()> onQuestion;
    std::vector<std::pair<std::string, std::string>> questions;
    std::vector<std::string> prefills;
    std::vector<std::string> inputTitles;
    std::vector<std::pair<std::string, std::string>> informations;
    std::deque<bool> yesNo;
    std::deque<std::optional<std::string>> typed;

    std::size_t ChooseLanguage(const std::vector<LanguageChoice>& choices) override {
        offered.push_back(choices);
        for (std::size_t i = 0; i < choices.size() && !languageName.empty(); ++i) {
            if (choices[i].displayName == languageName) {
                return i;
            }
        }
        return languageAnswer;
    }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        questions.emplace_back(title, text);
        if (onQuestion) {
            onQuestion();
        }
        if (yesNo.empty()) {
            return false;
        }
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }
    std::optional<std::string> AskText(const std::string& title, const std::string&,
                                       const std::string& prefill) override {
        inputTitles.push_back(title);
        prefills.push_back(prefill);
        if (typed.empty()) {
            return std::nullopt;
        }
        auto answer = typed.front();
        typed.pop_front();
        return answer;
    }
    void ShowInformation(const std::string& title, const std::string& text) override {
        informations.emplace_back(title, text);
    }
};

}  // namespace quib::client::testing
