#include "server/core/window/main_window.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QWheelEvent>

#include "server/core/window/choice_list.h"
#include "tests/support/case_name.h"
#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

struct Placement {
    const char* name;
    int id;
    QRect geometry;
};

// Seat 1's panel is seat 0's, shifted 670 pixels to the right.
const Placement kPlacements[] = {
    {"Board1", 1, {10, 10, 480, 480}},
    {"PartnerView1", 2, {500, 10, 170, 170}},
    {"UpperStatus1", 3, {10, 498, 484, 21}},
    {"LowerStatus1", 4, {10, 525, 484, 21}},
    {"AddressLine1", 5, {500, 190, 170, 16}},
    {"HostLine1", 6, {500, 206, 170, 16}},
    {"Strip1", 7, {10, 550, 660, 20}},
    {"SubjectSelector1", 8, {500, 225, 170, 21}},
    {"SubjectPoints1", 9, {500, 253, 170, 16}},
    {"SubjectTime1", 10, {500, 269, 170, 16}},
    {"PartnerRounds1", 11, {500, 285, 170, 16}},
    {"PartnerTime1", 12, {500, 301, 170, 16}},
    {"Comment1", 13, {500, 322, 170, 224}},
    {"Board2", 4001, {680, 10, 480, 480}},
    {"PartnerView2", 4002, {1170, 10, 170, 170}},
    {"Strip2", 4007, {680, 550, 660, 20}},
    {"SubjectSelector2", 4008, {1170, 225, 170, 21}},
    {"Comment2", 4013, {1170, 322, 170, 224}},
    {"LevelLabel", 9001, {10, 583, 85, 16}},
    {"Level", 9002, {100, 580, 200, 21}},
    {"Speed", 9004, {100, 609, 200, 21}},
    {"Display", 9006, {100, 638, 200, 21}},
    {"Figure1", 9008, {100, 667, 96, 21}},
    {"Figure2", 9009, {205, 667, 96, 21}},
    {"StartLabel", 9010, {310, 583, 85, 16}},
    {"Start1", 9011, {410, 580, 96, 21}},
    {"Start2", 9012, {515, 580, 96, 21}},
    {"StartToggle", 9013, {310, 608, 301, 23}},
    {"Abort", 9014, {310, 637, 301, 23}},
    {"ResetPoints", 9015, {310, 666, 93, 23}},
    {"ResetRecord", 9016, {411, 666, 96, 23}},
    {"ResetStatistics", 9017, {515, 666, 96, 23}},
    {"Statistics", 9018, {620, 580, 237, 108}},
    {"Log", 9019, {867, 580, 473, 108}},
};

class ControlPlacement : public ::testing::TestWithParam<Placement> {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }
};

TEST_P(ControlPlacement, StandsWhereTheLayoutPutsIt) {
    const ServerTexts texts;
    MainWindow window(texts);
    QWidget* control = window.findChild<QWidget*>(QString::number(GetParam().id));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), GetParam().geometry);
    EXPECT_EQ(control, window.Control(GetParam().id));
}

INSTANTIATE_TEST_SUITE_P(Window, ControlPlacement, ::testing::ValuesIn(kPlacements),
                         quib::testing::CaseName());

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }
    const ServerTexts texts;
};

TEST_F(MainWindowTest, IsFixedAt1353By700) {
    MainWindow window(texts);
    EXPECT_EQ(window.size(), QSize(1353, 700));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
}

TEST_F(MainWindowTest, ShowsTheInitialTextsOfBothPanels) {
    MainWindow window(texts);
    EXPECT_EQ(window.Label(5)->text(), "Spieler 1 - IP: ?");
    EXPECT_EQ(window.Label(4005)->text(), "Spieler 2 - IP: ?");
    EXPECT_EQ(window.Label(4006)->text(), "Host: ?");
    EXPECT_EQ(window.Label(9)->text(), "Punkte: ???? Gesamt, ?? Rekord");
    EXPECT_EQ(window.Label(10)->text(), "Gesamtspielzeit: ?? Std. ?? Min.");
    EXPECT_EQ(window.Label(11)->text(), "??? Runden gegen akt. Mitspieler");
    EXPECT_EQ(window.Label(12)->text(), "in insgesamt ?? Std. ?? Min.");
    EXPECT_EQ(window.Editor(4013)->toPlainText(),
              QString::fromUtf8("Hier kann man einen Kommentar über den Probanten hinterlassen."));
    EXPECT_EQ(window.Button(9013)->text(), "Spiel starten");
    EXPECT_TRUE(window.Button(9013)->isCheckable());
    EXPECT_EQ(window.Editor(9019)->toPlainText(), "Verlauf:");
    EXPECT_EQ(window.Label(3)->font().family(), "Arial");
    EXPECT_EQ(window.Label(3)->font().pointSize(), 10);
}

TEST_F(MainWindowTest, ListsStartWithTheirPromptsAndPlayer2DefaultsToTheSame) {
    MainWindow window(texts);
    EXPECT_EQ(window.List(9002)->count(), 7);
    EXPECT_EQ(window.List(9002)->itemText(6), "Level 6 - Formen und Position");
    EXPECT_EQ(window.List(9004)->itemText(4), "augenblicklich");
    EXPECT_EQ(window.List(9006)->itemText(2), "offen");
    EXPECT_EQ(window.List(9012)->count(), 7);
    EXPECT_EQ(window.List(9012)->itemText(1), "<- Selbe");
    for (int id : {8, 4008, 9002, 9004, 9006, 9008, 9011}) {
        EXPECT_EQ(window.List(id)->currentIndex(), 0) << id;
        EXPECT_FALSE(window.List(id)->itemIcon(0).isNull()) << id;
    }
    EXPECT_EQ(window.List(9009)->currentIndex(), 1);
    EXPECT_EQ(window.List(9012)->currentIndex(), 1);
    EXPECT_EQ(window.List(8)->itemText(1), "Neuen Probanten erstellen ...");
}

TEST_F(MainWindowTest, StatisticsListHasItsTitlesAndZeroRows) {
    MainWindow window(texts);
    QTableWidget* list = window.StatisticsList();
    ASSERT_EQ(list->rowCount(), 7);
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->item(0, 1)->text(), "Zeit");
    EXPECT_EQ(list->item(0, 3)->text(), "Runden");
    EXPECT_EQ(list->item(0, 0)->background().color(), QColor(238, 238, 238));
    EXPECT_EQ(list->item(3, 0)->text(), "Gesamt:");
    EXPECT_EQ(list->item(6, 0)->text(), "Level 3:");
    EXPECT_EQ(list->item(1, 1)->text(), "00:00:00");
    EXPECT_EQ(list->item(6, 3)->text(), "0");
    EXPECT_EQ(list->columnWidth(0), 55);
    EXPECT_EQ(list->columnWidth(1), 60);
}

TEST_F(MainWindowTest, PictureFieldsShowAllTheirPixels) {
    MainWindow window(texts);
    for (const auto& [id, size] :
         {std::pair{1, QSize(480, 480)}, {4002, QSize(170, 170)}, {7, QSize(660, 20)}}) {
        SCOPED_TRACE(id);
        ASSERT_NE(window.Picture(id), nullptr);
        EXPECT_EQ(window.Picture(id)->image().size(), size);
        EXPECT_EQ(window.Picture(id)->size(), size) << "no frame inside";
    }
}

TEST(WarningIcon, IsARedRingWithAnExclamationMarkOnAClearGround) {
    quib::testing::EnsureApplication();  // the "!" needs fonts
    const QImage icon = DrawWarningIcon();
    ASSERT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(icon.pixelColor(0, 0), QColor(0, 0, 0, 1));
    EXPECT_EQ(icon.pixelColor(15, 15), QColor(0, 0, 0, 1));
    EXPECT_EQ(icon.pixelColor(1, 8), QColor(200, 0, 0)) << "left edge of the ring";
    EXPECT_EQ(icon.pixelColor(3, 8), QColor(255, 255, 255)) << "inside the ring";
    int redInside = 0;  // the "!" in the middle column
    for (int y = 3; y < 13; ++y) {
        redInside += icon.pixelColor(7, y).red() > 150 && icon.pixelColor(7, y).green() < 100;
    }
    EXPECT_GE(redInside, 4);
}

void TurnWheelOver(QComboBox* list, int notches) {
    const QPointF centre(list->width() / 2.0, list->height() / 2.0);
    QWheelEvent wheel(centre, list->mapToGlobal(centre), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list, &wheel);
}

// The subject selectors and every game setting: the wheel over a closed
// list, on its way to another control, must not choose anything.
TEST_F(MainWindowTest, WheelOverAClosedListChangesNoChoice) {
    MainWindow window(texts);
    window.show();
    for (const int id : {control::Seat(0, control::kSubjectSelector),
                         control::Seat(1, control::kSubjectSelector), 9002, 9004, 9006, 9008}) {
        SCOPED_TRACE(id);
        QComboBox* list = window.List(id);
        ASSERT_NE(list, nullptr);
        list->setCurrentIndex(0);
        QSignalSpy activated(list, &QComboBox::activated);
        QSignalSpy changed(list, &QComboBox::currentIndexChanged);
        TurnWheelOver(list, 1);
        TurnWheelOver(list, -1);
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(activated.count(), 0);
        EXPECT_EQ(changed.count(), 0);
    }
}

TEST_F(MainWindowTest, OpenedListsShowWholeNamesAndKeepVeryLongOnesNarrow) {
    MainWindow window(texts);
    window.show();
    QComboBox* figures = window.List(9008);
    figures->addItem("bauer0.png");
    figures->showPopup();
    const QAbstractItemView* shown = figures->view();
    const int nameWidth = QFontMetrics(shown->font()).horizontalAdvance("bauer0.png");
    const QRect entry = shown->visualRect(shown->model()->index(figures->count() - 1, 0));
    EXPECT_GE(entry.width(), nameWidth + figures->iconSize().width()) << "the whole name";
    figures->hidePopup();

    QComboBox* subjects = window.List(control::Seat(0, control::kSubjectSelector));
    const QString longName = "000007 " + QString(300, 'W') + " <b>Ende</b>";
    subjects->addItem(longName);
    subjects->showPopup();
    EXPECT_LE(subjects->view()->width(), ChoiceList::kMaxPopupWidth);
    EXPECT_EQ(subjects->view()->textElideMode(), Qt::ElideMiddle);
    const QString tip = subjects->itemData(subjects->count() - 1, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("&lt;b&gt;Ende&lt;/b&gt;")) << "the full name, as plain text";
    EXPECT_TRUE(tip.contains(QString(300, 'W')));
    subjects->hidePopup();
}

}  // namespace
}  // namespace quib::server
