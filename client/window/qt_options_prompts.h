#pragma once

// The options' questions as Qt boxes: the language chooser, message boxes
// and an input dialog. Texts are converted from Windows-1252 here.
//
// Threads: GUI thread.

#include "client/window/options_flow.h"

namespace quib::client {

class QtOptionsPrompts : public OptionsPrompts {
  public:
    std::size_t ChooseLanguage(const std::vector<LanguageChoice>& choices) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;
    std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                       const std::string& prefill) override;
    void ShowInformation(const std::string& title, const std::string& text) override;
};

}  // namespace quib::client
