#include "common/plain_widgets.h"

#include <QAbstractButton>
#include <QColor>
#include <QFileDialog>
#include <QInputDialog>
#include <QPalette>
#include <QPushButton>

#include <vector>

namespace quib {

QLabel* MakePlainLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QLabel* MakeWarningLabel(QWidget* parent, const QFont& font) {
    QLabel* label = MakePlainLabel(parent);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    label->setMargin(4);
    label->setFocusPolicy(Qt::NoFocus);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QColor(200, 0, 0));
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->hide();
    return label;
}

void MakeLabelsPlain(QWidget* root) {
    for (QLabel* label : root->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
}

namespace {

int RunBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    MakeLabelsPlain(&box);
    return box.exec();
}

}  // namespace

void ShowPlainInformation(QWidget* parent, const QString& title, const QString& text) {
    RunBox(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskPlainYesNo(QWidget* parent, const QString& title, const QString& text,
                   QMessageBox::StandardButton defaultButton) {
    return RunBox(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                  defaultButton) == QMessageBox::Yes;
}

std::optional<int> AskPlainChoice(QWidget* parent, const QString& title, const QString& text,
                                  const QStringList& choices) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    std::vector<QAbstractButton*> buttons;
    for (const QString& choice : choices) {
        buttons.push_back(box.addButton(choice, QMessageBox::AcceptRole));
    }
    if (!buttons.empty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    }
    MakeLabelsPlain(&box);
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<QString> AskPlainFolder(QWidget* parent, const QString& title) {
    // Qt's own dialog, whose labels are ours to make plain; a desktop's
    // native one would be another program's window.
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    MakeLabelsPlain(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

std::optional<QString> AskPlainText(QWidget* parent, const QString& title, const QString& prompt,
                                    const QString& initial) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setInputMode(QInputDialog::TextInput);
    MakeLabelsPlain(&dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

}  // namespace quib
