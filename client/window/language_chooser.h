#pragma once

// The language chooser of the options: a drop-down list of the languages
// found and an OK button. It can only be left through OK, since the texts
// of every later question depend on the choice.
//
// Threads: GUI thread.

#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include <vector>

#include "client/client_texts.h"

namespace quib::client {

class LanguageChooser : public QDialog {
    Q_OBJECT

  public:
    explicit LanguageChooser(const std::vector<LanguageChoice>& choices, QWidget* parent = nullptr);

    // The index of the selected entry; entry 0 at first.
    int selected() const { return list_->currentIndex(); }

    QComboBox* list() const { return list_; }
    QPushButton* okButton() const { return ok_; }

  public slots:
    // Escape and the close box would end the dialog without a choice.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QComboBox* list_;
    QPushButton* ok_;
};

}  // namespace quib::client
