#include "client/window/language_chooser.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QString>

#include "common/codepage.h"
#include "common/plain_widgets.h"

namespace quib::client {

LanguageChooser::LanguageChooser(const std::vector<LanguageChoice>& choices, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      list_(new QComboBox(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("Sprache/Language:"));
    setFixedSize(270, 90);
    QLabel* label =
        MakePlainLabel(this, QString::fromUtf8("Sprache ausw\xC3\xA4hlen/Select language:"));
    label->setGeometry(10, 10, 280, 15);
    list_->setGeometry(10, 30, 250, 21);
    ok_->setGeometry(200, 60, 60, 20);
    for (const LanguageChoice& choice : choices) {
        list_->addItem(QString::fromStdString(Cp1252ToUtf8(choice.displayName)));
    }
    list_->setCurrentIndex(0);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void LanguageChooser::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace quib::client
