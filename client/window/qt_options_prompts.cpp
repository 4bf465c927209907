#include "client/window/qt_options_prompts.h"

#include <QString>

#include <string_view>

#include "client/window/language_chooser.h"
#include "common/codepage.h"
#include "common/plain_widgets.h"

namespace quib::client {
namespace {

QString ToQt(std::string_view cp1252) {
    return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

}  // namespace

std::size_t QtOptionsPrompts::ChooseLanguage(const std::vector<LanguageChoice>& choices) {
    LanguageChooser chooser(choices);
    chooser.exec();
    const int selected = chooser.selected();
    return selected < 0 ? 0 : static_cast<std::size_t>(selected);
}

bool QtOptionsPrompts::AskYesNo(const std::string& title, const std::string& text) {
    return AskPlainYesNo(nullptr, ToQt(title), ToQt(text), QMessageBox::Yes);
}

std::optional<std::string> QtOptionsPrompts::AskText(const std::string& title,
                                                     const std::string& prompt,
                                                     const std::string& prefill) {
    const std::optional<QString> typed =
        AskPlainText(nullptr, ToQt(title), ToQt(prompt), ToQt(prefill));
    if (!typed) {
        return std::nullopt;
    }
    return Utf8ToCp1252(typed->toStdString());
}

void QtOptionsPrompts::ShowInformation(const std::string& title, const std::string& text) {
    ShowPlainInformation(nullptr, ToQt(title), ToQt(text));
}

}  // namespace quib::client
