#pragma once

// Every widget of both programs that shows text does so as plain text.
// Much of that text comes from outside: a player program's host name, the
// server's text lines, language files, subject files. Qt would read such
// text as markup whenever it looks like some (Qt::AutoText), and markup can
// load any local file: `<img src="/dev/zero">` as a host name reads until
// memory runs out. So labels and boxes are only ever made here.

#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace quib {

QLabel* MakePlainLabel(QWidget* parent, const QString& text = {});

// A warning line: white plain text on red, wrapped, hidden until shown.
// Both programs use it for what must not be overlooked, such as a figure
// picture a computer lacks.
QLabel* MakeWarningLabel(QWidget* parent, const QFont& font);

// Sets every label below `root` (the labels a Qt dialog makes itself
// included) to plain text.
void MakeLabelsPlain(QWidget* root);

void ShowPlainInformation(QWidget* parent, const QString& title, const QString& text);

// True for Yes.
bool AskPlainYesNo(QWidget* parent, const QString& title, const QString& text,
                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// A warning box with one button per choice and Cancel; the index of the
// choice clicked, nothing for Cancel or a box closed otherwise.
std::optional<int> AskPlainChoice(QWidget* parent, const QString& title, const QString& text,
                                  const QStringList& choices);

// A folder chooser (Qt's own dialog); the folder chosen, nothing when
// cancelled.
std::optional<QString> AskPlainFolder(QWidget* parent, const QString& title);

// A text input box with a title, a prompt and a prefilled answer; nothing
// when cancelled.
std::optional<QString> AskPlainText(QWidget* parent, const QString& title, const QString& prompt,
                                    const QString& initial);

}  // namespace quib
