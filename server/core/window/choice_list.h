#pragma once

#include <QComboBox>

namespace quib::server {

// A drop-down list of the experimenter's window: the subject selectors and
// the game settings.
//
// A choice changes only when the experimenter picks an entry in the opened
// list or with the keyboard: the mouse wheel over the closed list, easily
// turned on the way to another control, changes nothing (one notch over a
// subject selector would otherwise open the new-subject box or seat another
// subject).
//
// The opened list is as wide as its longest entry, but at most
// kMaxPopupWidth: a very long subject name is elided in the middle instead of
// making the list as wide as the screen, and every entry carries its full
// text as a tooltip. The closed list drops the entry's icon when the name
// would not fit beside it (the narrow figure lists: "bauer0.png" rather
// than a picture and "bauer0.pn"), and elides in the middle what is still
// too long.
class ChoiceList : public QComboBox {
    Q_OBJECT

  public:
    // Room for any figure file name and a subject name of 50 characters in
    // the window's font, and still less than a third of the window.
    static constexpr int kMaxPopupWidth = 400;

    // An entry that cannot be chosen carries why in this role (plain text);
    // its tool tip shows it under the entry's name.
    static constexpr int kUnusableReasonRole = Qt::UserRole + 1;

    using QComboBox::QComboBox;

    // Adds an entry that is shown, with a warning icon and `reason` in its
    // tool tip, but cannot be chosen: the list's model disables it, so
    // neither the opened list nor the keyboard selects it.
    void AddUnusableItem(const QString& text, const QString& reason);

    // Whether the chosen entry may be chosen (an entry set by the program
    // could still be a disabled one).
    bool ChosenEntryUsable() const;

    void showPopup() override;

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quib::server
