#pragma once

#include <QMessageBox>
#include <QPushButton>

#include <ostream>
#include <string>

namespace quib::testing {

// What the standard buttons of a message box read right now, in the
// language of the translations the application has installed.
struct StandardButtonTexts {
    std::string yes, no, ok, cancel;
    bool operator==(const StandardButtonTexts&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const StandardButtonTexts& texts) {
    return out << '"' << texts.yes << "\" \"" << texts.no << "\" \"" << texts.ok << "\" \""
               << texts.cancel << '"';
}

inline StandardButtonTexts CurrentStandardButtonTexts() {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok |
                           QMessageBox::Cancel);
    const auto text = [&box](QMessageBox::StandardButton button) {
        return box.button(button)->text().toStdString();
    };
    return {text(QMessageBox::Yes), text(QMessageBox::No), text(QMessageBox::Ok),
            text(QMessageBox::Cancel)};
}

// A language of the interface and the buttons Qt shows in it.
struct ButtonLanguageCase {
    const char* name;
    const char* code;  // of the language file: quib_server_<code>.lang
    StandardButtonTexts buttons;
};

// German and English, and a language Qt has no translation of, whose
// buttons stay as Qt has them.
inline const ButtonLanguageCase kButtonLanguageCases[] = {
    {"German", "de", {"&Ja", "&Nein", "OK", "Abbrechen"}},
    {"English", "en", {"&Yes", "&No", "OK", "Cancel"}},
    {"LanguageQtDoesNotKnow", "xq", {"&Yes", "&No", "OK", "Cancel"}},
};

}  // namespace quib::testing
