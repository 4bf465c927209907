#pragma once

// Finds the widgets that would read text as markup. Text from outside (host
// names, text lines, language and subject files) reaches many widgets; the
// programs make every label and box plain, and this scan, run over all
// widgets alive at a moment, finds any widget made some other way.

#include <QApplication>
#include <QLabel>
#include <QString>
#include <QTextDocument>
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

// Whether a tool tip is a plain text made safe for the markup Qt reads tool
// tips as (Qt::convertFromPlainText): then it shows exactly that text.
inline bool IsEscapedPlainText(const QString& tip) {
    QTextDocument document;
    document.setHtml(tip);
    return tip == Qt::convertFromPlainText(document.toPlainText(), Qt::WhiteSpaceNormal);
}

// Every widget alive that reads its text as markup: a label in any format
// but plain (Qt guesses markup from the text in its default, automatic
// format), an editor that takes rich text, a widget with a tool tip that is
// not escaped plain text, and one with a "what's this" help (both guess
// markup from the text).
inline std::vector<std::string> WidgetsReadingMarkup() {
    std::vector<std::string> found;
    for (QWidget* widget : QApplication::allWidgets()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* editor = qobject_cast<QTextEdit*>(widget);
        if ((label != nullptr && label->textFormat() != Qt::PlainText) ||
            (editor != nullptr && editor->acceptRichText()) ||
            !(widget->toolTip().isEmpty() || IsEscapedPlainText(widget->toolTip())) ||
            !widget->whatsThis().isEmpty()) {
            found.push_back(DescribeWidget(widget));
        }
    }
    return found;
}

}  // namespace quib::testing
