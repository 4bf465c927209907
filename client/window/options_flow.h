#pragma once

// The start-up options: language, full screen, server address and whether to
// ask again next time, then the settings file written anew.
//
// Threads: GUI thread, before the window opens and the network thread
// exists. The prompts are an interface so the order of the questions and
// what becomes of the answers can be checked without a person at the boxes.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/client_settings.h"
#include "client/client_texts.h"

namespace quib::client {

// The modal questions of the options. Every text is Windows-1252.
class OptionsPrompts {
  public:
    virtual ~OptionsPrompts() = default;
    // The language chooser; the index of the chosen entry (entry 0 is
    // selected at first; it has no way to cancel).
    virtual std::size_t ChooseLanguage(const std::vector<LanguageChoice>& choices) = 0;
    virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
    // Nothing when the player cancels.
    virtual std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                               const std::string& prefill) = 0;
    virtual void ShowInformation(const std::string& title, const std::string& text) = 0;
};

// Runs the options, updates `settings`, saves them in `workDir` and returns
// the texts of the chosen language. The address question comes back until
// the answer is a valid dotted address. `languageChosen` is told the chosen
// language file before the first question in that language.
ClientTexts RunOptions(const std::filesystem::path& workDir, ClientSettings& settings,
                       OptionsPrompts& prompts,
                       const std::function<void(const std::string&)>& languageChosen = {});

}  // namespace quib::client
