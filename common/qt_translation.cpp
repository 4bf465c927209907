#include "common/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>

namespace quib {

std::string LanguageCodeOfFile(std::string_view fileName) {
    constexpr std::string_view kExtension = ".lang";
    if (!fileName.ends_with(kExtension)) {
        return {};
    }
    const std::string_view stem = fileName.substr(0, fileName.size() - kExtension.size());
    const std::size_t underscore = stem.rfind('_');
    if (underscore == std::string_view::npos || underscore + 1 == stem.size()) {
        return {};
    }
    return std::string(stem.substr(underscore + 1));
}

bool UseQtTranslation(QTranslator& translator, std::string_view languageFile) {
    QCoreApplication::removeTranslator(&translator);
    const std::string code = LanguageCodeOfFile(languageFile);
    if (code.empty()) {
        return false;
    }
    // Only the letters of a language code: the name is part of a path.
    for (const char c : code) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            return false;
        }
    }
    if (!translator.load(QStringLiteral("qtbase_") + QString::fromStdString(code),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}

}  // namespace quib
