#pragma once

// Finds the widgets that would read text as markup. Text from outside (host
// names, text lines, language and subject files) reaches many widgets; the
// programs make every label and box plain, and this scan, run over all
// widgets alive at a moment, finds any widget made some other way.

#include <QApplication>
#include <QLabel>
#include <QString>
#include <QTextEdit>
#include <QWidget>

#include <string>
#include <vector>

namespace quib::testing {

inline std::string DescribeWidget(const QWidget* widget) {
    std::string path;
    for (const QObject* at = widget; at != nullptr; at = at->parent()) {
        path = std::string(at->metaObject()->className()) + "(" + at->objectName().toStdString() +
               ")" + (path.empty() ? "" : "/") + path;
    }
    return path;
}

// Every widget alive that reads its text as markup: a label in any format
// but plain (Qt guesses markup from the text in its default, automatic
// format), an editor that takes rich text, and a widget with a tool tip or
// a "what's this" help (both guess markup from the text; none is meant).
inline std::vector<std::string> WidgetsReadingMarkup() {
    std::vector<std::string> found;
    for (QWidget* widget : QApplication::allWidgets()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* editor = qobject_cast<QTextEdit*>(widget);
        if ((label != nullptr && label->textFormat() != Qt::PlainText) ||
            (editor != nullptr && editor->acceptRichText()) || !widget->toolTip().isEmpty() ||
            !widget->whatsThis().isEmpty()) {
            found.push_back(DescribeWidget(widget));
        }
    }
    return found;
}

}  // namespace quib::testing
