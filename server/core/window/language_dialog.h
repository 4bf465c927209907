#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QDialog>

#include "server/core/settings.h"

class QCloseEvent;
class QComboBox;
class QLabel;
class QPushButton;
class QShowEvent;

namespace quib::server {

// The language selection of start-up: "Sprache/Language:",
// 270 x 90, centred on the screen, a label, a drop-down list of the language
// names with entry 0 selected, and an OK button. It ends only through OK:
// the close box and the Escape key do nothing. It needs a QApplication but
// no other window.
class LanguageDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit LanguageDialog(const std::vector<LanguageChoice>& choices, QWidget* parent = nullptr);

    // The entry selected in the list (0 while nothing else was picked).
    int SelectedIndex() const;

    QComboBox* list() const { return list_; }
    QPushButton* okButton() const { return ok_; }

    // Without OK the dialog stays: Escape and the close box land here.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Centre();

    QLabel* label_;
    QComboBox* list_;
    QPushButton* ok_;
};

// LanguageChooser over the real dialog, shown modally.
class QtLanguageChooser final : public LanguageChooser {
  public:
    // The chosen entry; nullopt when no QApplication runs, so that no window
    // can be opened.
    std::optional<std::size_t> Choose(const std::vector<LanguageChoice>& choices) override;
};

}  // namespace quib::server
