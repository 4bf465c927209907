#include "client/window/options_flow.h"

#include "client/address_input.h"
#include "prefs/preferences.h"

namespace quib::client {

ClientTexts RunOptions(const std::filesystem::path& workDir, ClientSettings& settings,
                       OptionsPrompts& prompts,
                       const std::function<void(const std::string&)>& languageChosen) {
    const std::vector<LanguageChoice> choices = ListClientLanguages(workDir, settings.language);
    const std::size_t chosen = prompts.ChooseLanguage(choices);
    if (chosen < choices.size()) {
        // A file that vanished since the listing keeps the current language.
        Preferences file;
        if (file.Open(workDir / choices[chosen].fileName)) {
            settings.language = choices[chosen].fileName;
        }
    }
    // Loaded now, so the following questions appear in the chosen language.
    ClientTexts texts = LoadClientTexts(workDir, settings.language);
    if (languageChosen) {
        languageChosen(settings.language);
    }

    settings.fullscreen =
        prompts.AskYesNo(texts[txt::kFullscreenTitle], texts[txt::kFullscreenQuestion]) ? 1 : 0;

    std::optional<std::string> address;
    while (!address) {
        const std::optional<std::string> typed =
            prompts.AskText(texts[txt::kAddressTitle], texts[txt::kAddressPrompt], settings.ip);
        address = NormaliseServerAddress(typed.value_or(std::string()));
    }
    settings.ip = *address;

    settings.askOptions =
        prompts.AskYesNo(texts[txt::kAskAlwaysTitle], texts[txt::kAskAlwaysQuestion]) ? 1 : 0;

    if (!SaveClientSettings(workDir, settings)) {
        prompts.ShowInformation(texts[txt::kErrorTitle], texts[txt::kCannotSaveSettings]);
    }
    return texts;
}

}  // namespace quib::client
