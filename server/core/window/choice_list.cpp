#include "server/core/window/choice_list.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTextDocument>
#include <QWheelEvent>

#include <algorithm>

namespace quib::server {

namespace {

// Tooltips take rich text when they look like it; names typed by the
// experimenter or found in the picture folder are plain text.
QString EntryToolTip(const QComboBox& list, int row) {
    const QString reason = list.itemData(row, ChoiceList::kUnusableReasonRole).toString();
    const QString text = reason.isEmpty() ? list.itemText(row) : list.itemText(row) + "\n" + reason;
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

}  // namespace

void ChoiceList::AddUnusableItem(const QString& text, const QString& reason) {
    addItem(style()->standardIcon(QStyle::SP_MessageBoxWarning), text);
    const int row = count() - 1;
    setItemData(row, reason, kUnusableReasonRole);
    setItemData(row, EntryToolTip(*this, row), Qt::ToolTipRole);
    if (auto* items = qobject_cast<QStandardItemModel*>(model())) {
        QStandardItem* item = items->item(row, modelColumn());
        item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    }
}

bool ChoiceList::ChosenEntryUsable() const {
    const QModelIndex chosen = model()->index(currentIndex(), modelColumn(), rootModelIndex());
    return !chosen.isValid() || (model()->flags(chosen) & Qt::ItemIsEnabled);
}

void ChoiceList::showPopup() {
    for (int i = 0; i < count(); ++i) {
        setItemData(i, EntryToolTip(*this, i), Qt::ToolTipRole);
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
