#include "server/core/window/language_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QShowEvent>
#include <QString>

#include "common/codepage.h"
#include "common/plain_widgets.h"

namespace quib::server {
namespace {

QString FromCp1252(const std::string& text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

}  // namespace

LanguageDialog::LanguageDialog(const std::vector<LanguageChoice>& choices, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      label_(MakePlainLabel(this, QString::fromUtf8("Sprache ausw\u00e4hlen/Select language:"))),
      list_(new QComboBox(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("Sprache/Language:"));
    setFixedSize(270, 90);
    setModal(true);
    // Shown before the main window exists: closing it must not end the
    // application.
    setAttribute(Qt::WA_QuitOnClose, false);

    label_->setGeometry(10, 10, 280, 15);

    list_->setObjectName(QStringLiteral("languageList"));
    list_->setGeometry(10, 30, 250, 21);
    for (const LanguageChoice& choice : choices) {
        list_->addItem(FromCp1252(choice.displayName));
    }
    if (list_->count() > 0) {
        list_->setCurrentIndex(0);
    }

    ok_->setObjectName(QStringLiteral("languageOk"));
    ok_->setGeometry(200, 60, 60, 20);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    Centre();
}

void LanguageDialog::Centre() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The frame is known only once the window exists; until then the client
    // area stands in for it.
    QRect frame = isVisible() ? frameGeometry() : QRect(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void LanguageDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Centre();
}

int LanguageDialog::SelectedIndex() const {
    return list_->currentIndex();
}

void LanguageDialog::reject() {}

void LanguageDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

std::optional<std::size_t> QtLanguageChooser::Choose(const std::vector<LanguageChoice>& choices) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return std::nullopt;
    }
    LanguageDialog dialog(choices);
    dialog.exec();
    const int selected = dialog.SelectedIndex();
    if (selected < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(selected);
}

}  // namespace quib::server
