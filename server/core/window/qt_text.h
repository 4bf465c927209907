#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "common/codepage.h"

namespace quib::server {

// The widget boundary: the server keeps its texts in Windows-1252, Qt wants
// Unicode.
inline QString ToQt(std::string_view cp1252) {
    return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

inline std::string FromQt(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

}  // namespace quib::server
