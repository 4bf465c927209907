#include "server/core/window/choice_list.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTextDocument>
#include <QWheelEvent>

#include <algorithm>

namespace quib::server {

void ChoiceList::showPopup() {
    for (int i = 0; i < count(); ++i) {
        // Tooltips take rich text when they look like it; names typed by
        // the experimenter or found in the picture folder are plain text.
        setItemData(i, Qt::convertFromPlainText(itemText(i), Qt::WhiteSpaceNormal),
                    Qt::ToolTipRole);
    }
    view()->setTextElideMode(Qt::ElideMiddle);
    QComboBox::showPopup();
    // Qt widens the opened list to its longest entry, however long.
    QWidget* popup = view()->window();
    const int widest = std::max(width(), kMaxPopupWidth);
    if (popup->width() > widest) {
        popup->resize(widest, popup->height());
    }
}

void ChoiceList::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

void ChoiceList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect textRoom =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(option.currentText);
    const int iconRoom = option.iconSize.width() + 4;  // the icon and its gap to the text
    if (!option.currentIcon.isNull() && textWidth + iconRoom > textRoom.width()) {
        option.currentIcon = QIcon();
    }
    const int room = textRoom.width() - (option.currentIcon.isNull() ? 0 : iconRoom);
    if (textWidth > room) {
        setToolTip(Qt::convertFromPlainText(option.currentText, Qt::WhiteSpaceNormal));
        option.currentText = metrics.elidedText(option.currentText, Qt::ElideMiddle, room);
    } else {
        setToolTip(QString());
    }
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace quib::server
