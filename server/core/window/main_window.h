#pragma once

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "server/core/window/picture_field.h"

#include "server/core/texts.h"

namespace quib::server {

// Control numbers of the experimenter's window. A seat's controls are
// seat * 4000 + k; the common area starts at 9001. Every control carries its
// number as objectName, so tests and tools can find it.
namespace control {
constexpr int kSeatStride = 4000;
constexpr int kBoard = 1;
constexpr int kPartnerView = 2;
constexpr int kUpperStatus = 3;
constexpr int kLowerStatus = 4;
constexpr int kAddressLine = 5;
constexpr int kHostLine = 6;
constexpr int kStrip = 7;
constexpr int kSubjectSelector = 8;
constexpr int kSubjectPoints = 9;
constexpr int kSubjectPlayTime = 10;
constexpr int kSubjectPartnerRounds = 11;
constexpr int kSubjectPartnerTime = 12;
constexpr int kComment = 13;
constexpr int kPictureWarning = 14;
constexpr int kLevel = 9002;
constexpr int kSpeed = 9004;
constexpr int kDisplay = 9006;
constexpr int kFigure1 = 9008;
constexpr int kFigure2 = 9009;
constexpr int kStart1 = 9011;
constexpr int kStart2 = 9012;
constexpr int kStartToggle = 9013;
constexpr int kAbort = 9014;
constexpr int kResetPoints = 9015;
constexpr int kResetRecord = 9016;
constexpr int kResetStatistics = 9017;
constexpr int kStatistics = 9018;
constexpr int kLog = 9019;
constexpr int kFigureWarning = 9020;

constexpr int Seat(int seat, int k) {
    return seat * kSeatStride + k;
}
}  // namespace control

// The seven lists whose choices make up a game's settings, in the order the
// control rules and the mirrored settings use.
inline constexpr int kSettingLists[7] = {control::kLevel,   control::kSpeed,   control::kDisplay,
                                         control::kFigure1, control::kFigure2, control::kStart1,
                                         control::kStart2};

// The experimenter's main window, 1353 x 700, fixed: two seat panels with the
// mirrors of both players' screens, connection lines and graphs, subject
// selectors and comments, and the common area with the game settings, the
// buttons, the statistics list and the log. This class only builds and
// exposes the controls; ServerApp gives them their behaviour.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(const ServerTexts& texts, QWidget* parent = nullptr);

    QWidget* Control(int id) const;
    QLabel* Label(int id) const;
    PictureField* Picture(int id) const;
    QComboBox* List(int id) const;
    QPushButton* Button(int id) const;
    QPlainTextEdit* Editor(int id) const;
    QTableWidget* StatisticsList() const;

    // Shows `text` (plain) in the warning line `id`, on top of what it
    // covers and as tall as the text needs; an empty text hides it.
    void ShowWarning(int id, const QString& text);

    // The 16 x 16 warning icon of every list's prompt entry.
    const QImage& WarningIcon() const { return warningIcon_; }

    // Called instead of closing: the main loop decides whether to quit.
    std::function<void()> onCloseRequested;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildSeatPanel(int seat);
    void BuildCommonArea();
    void BuildStatisticsList();
    template <typename W>
    W* Place(int id, int x, int y, int width, int height);
    // Labels show plain text only: much of what they show comes from
    // outside (host names, language and subject files).
    QLabel* PlaceLabel(int id, int x, int y, int width, int height);
    template <typename W>
    W* Register(W* widget, int id, int x, int y, int width, int height);
    PictureField* PlacePicture(int id, int x, int y, int width, int height);
    QComboBox* PlaceList(int id, int x, int y, int width, std::initializer_list<int> textKeys);
    QLabel* PlaceWarning(int id, int x, int y, int width);

    const ServerTexts& texts_;
    QImage warningIcon_;
    std::map<int, QWidget*> controls_;
};

// Draws the warning icon: a red ring with a red "!" on a transparent ground.
QImage DrawWarningIcon();

}  // namespace quib::server
