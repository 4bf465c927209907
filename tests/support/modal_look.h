#pragma once

// A look at a modal box while it is open: what its labels show and which
// widgets of the program would read markup at that moment. The box is then
// cancelled, so the code that opened it goes on.

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QString>
#include <QTimer>

#include <string>
#include <vector>

#include "tests/support/markup_scan.h"

namespace quib::testing {

struct ModalLook {
    bool seen = false;
    std::vector<QString> labelTexts;
    std::vector<std::string> readingMarkup;
};

// A test before may have asked the application to quit, as closing a
// program's window does; Qt then ends every event loop at once, a box's
// included, until the application's own loop has run. One turn of it that
// ends at once clears the request.
inline void ClearPendingQuit() {
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// Runs `open`, which shows a modal box and returns once it is closed.
template <typename Open>
ModalLook LookAtModal(Open open) {
    ClearPendingQuit();
    ModalLook look;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&look] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || look.seen) {
            return;
        }
        look.seen = true;
        for (const QLabel* label : modal->findChildren<QLabel*>()) {
            look.labelTexts.push_back(label->text());
        }
        look.readingMarkup = WidgetsReadingMarkup();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    });
    poll.start();
    open();
    return look;
}

}  // namespace quib::testing
