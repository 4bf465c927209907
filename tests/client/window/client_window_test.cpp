#include "client/window/client_window.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <bitset>
#include <thread>

#include "client/client_settings.h"
#include "client/key_state.h"
#include "tests/support/qt_app.h"

namespace quib::client {
namespace {

// A Windows-1252 "ä" (0xE4), to see the conversion at the widget boundary.
constexpr char kCp1252Text[] = "Runde 2 \xE4";

class ClientWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }

    // Runs the queued calls posted so far.
    static void DeliverQueued() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    ClientSettings settings_;  // baseHight 450, baseFontSize 12
    KeyState keys_;
};

TEST_F(ClientWindowTest, PlacesTheFieldsForBaseHight450) {
    ClientWindow window(settings_, keys_, "Title");
    EXPECT_EQ(window.size(), QSize(768, 450));
    EXPECT_EQ(window.picture(TextField::Left)->geometry(), QRect(16, 15, 360, 360));
    EXPECT_EQ(window.picture(TextField::Right)->geometry(), QRect(392, 15, 360, 360));
    EXPECT_EQ(window.text(TextField::Left)->geometry().y(), 386);
    EXPECT_EQ(window.text(TextField::Left)->height(), 47);
    EXPECT_EQ(window.text(TextField::Right)->height(), 47);
}

TEST_F(ClientWindowTest, TextFieldsAreSunkenWrappingArial) {
    ClientWindow window(settings_, keys_, "Title");
    for (TextField field : {TextField::Left, TextField::Right}) {
        QLabel* label = window.text(field);
        EXPECT_EQ(label->frameShadow(), QFrame::Sunken);
        EXPECT_TRUE(label->wordWrap());
        EXPECT_EQ(label->font().family(), QStringLiteral("Arial"));
        EXPECT_EQ(label->font().pointSize(), 12);
        EXPECT_TRUE(label->text().isEmpty());
    }
}

TEST_F(ClientWindowTest, TitleIsConvertedFromWindows1252) {
    ClientWindow window(settings_, keys_, kCp1252Text);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Runde 2 \xC3\xA4"));
}

TEST_F(ClientWindowTest, QueuedTextFromAnotherThreadShowsBlankTextAndColour) {
    ClientWindow window(settings_, keys_, "Title");
    std::thread network([&window] {
        window.PostText(TextField::Right, 0x00FF9696, kCp1252Text);  // red 150, green 150, blue 255
    });
    network.join();
    // Queued, not yet shown: the posting thread touched no widget.
    EXPECT_TRUE(window.text(TextField::Right)->text().isEmpty());
    DeliverQueued();
    QLabel* label = window.text(TextField::Right);
    EXPECT_EQ(label->text(), QString::fromUtf8(" Runde 2 \xC3\xA4"));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(150, 150, 255));
    EXPECT_TRUE(window.text(TextField::Left)->text().isEmpty());
}

TEST_F(ClientWindowTest, NoColourKeepsTheBackground) {
    ClientWindow window(settings_, keys_, "Title");
    window.ShowText(TextField::Left, 0x00964BFF, "a");
    window.ShowText(TextField::Left, protocol::kNoColour, "b");
    EXPECT_EQ(window.text(TextField::Left)->text(), QStringLiteral(" b"));
    EXPECT_EQ(window.text(TextField::Left)->palette().color(QPalette::Window),
              QColor(255, 75, 150));
}

TEST_F(ClientWindowTest, QueuedFrontImagesAreShown) {
    ClientWindow window(settings_, keys_, "Title");
    QImage left(360, 360, QImage::Format_RGB32);
    left.fill(QColor(255, 0, 0));
    QImage right(360, 360, QImage::Format_RGB32);
    right.fill(QColor(0, 0, 255));
    std::thread network([&] { window.PostFrontImages(left, right); });
    network.join();
    DeliverQueued();
    const QImage shownLeft = window.picture(TextField::Left)->pixmap().toImage();
    const QImage shownRight = window.picture(TextField::Right)->pixmap().toImage();
    ASSERT_EQ(shownLeft.size(), QSize(360, 360));
    EXPECT_EQ(shownLeft.pixelColor(10, 10), QColor(255, 0, 0));
    EXPECT_EQ(shownRight.pixelColor(10, 10), QColor(0, 0, 255));
}

TEST_F(ClientWindowTest, KeyPressAndReleaseReachTheKeyState) {
    ClientWindow window(settings_, keys_, "Title");
    QTest::keyPress(&window, Qt::Key_Right);
    EXPECT_TRUE(keys_.Sample().test(39));
    EXPECT_TRUE(keys_.Sample().test(39));  // still held
    QTest::keyRelease(&window, Qt::Key_Right);
    EXPECT_FALSE(keys_.Sample().test(39));
}

TEST_F(ClientWindowTest, TapBetweenSamplesIsKeptAndAutoRepeatIgnored) {
    ClientWindow window(settings_, keys_, "Title");
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_TRUE(keys_.Sample().test(32));
    EXPECT_TRUE(keys_.Sample().none());
    // An auto-repeated press alone is no new press.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(&window, &repeat);
    EXPECT_FALSE(keys_.Sample().test(38));
}

TEST_F(ClientWindowTest, TabIsAKeyNotAFocusMove) {
    ClientWindow window(settings_, keys_, "Title");
    QTest::keyPress(&window, Qt::Key_Tab);
    EXPECT_TRUE(keys_.Sample().test(9));
}

TEST_F(ClientWindowTest, ActivationSetsForegroundAndLosingItReleasesTheKeys) {
    ClientWindow window(settings_, keys_, "Title");
    EXPECT_FALSE(window.foreground().load());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.foreground().load());
    QTest::keyPress(&window, Qt::Key_Left);
    ClientWindow other(settings_, keys_, "Other");
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(window.foreground().load());
    // The release never reaches the window; the key must not stay down.
    EXPECT_FALSE(keys_.Sample().test(37));
}

}  // namespace
}  // namespace quib::client
