#pragma once

// Qt's own texts (the standard buttons of message boxes and dialogs: "Yes",
// "No", "OK", "Cancel") in the language of the interface. The programs' own
// texts come from their language files; Qt's come from the translations Qt
// ships, named by the language code that a language file carries in its
// name: "quib_server_de.lang" is German, "quib_client_en.lang" English.

#include <QTranslator>

#include <string>
#include <string_view>

namespace quib {

// The language code of a language file: the part of its name between the
// last "_" and ".lang" ("de" for "quib_server_de.lang"). Empty when the name
// has no such part.
std::string LanguageCodeOfFile(std::string_view fileName);

// Loads Qt's translation for the language of `languageFile` into
// `translator` and installs it in the application, replacing what the
// translator held. False, and Qt's texts stay as they are, for a language
// Qt has no translation of.
bool UseQtTranslation(QTranslator& translator, std::string_view languageFile);

}  // namespace quib
