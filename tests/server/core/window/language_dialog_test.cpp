#include "server/core/window/language_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/qt_app.h"

namespace quib::server {
namespace {

const std::vector<LanguageChoice> kChoices = {
    {"Deutsch", "quib_server_de.lang"},
    {"English", "quib_server_en.lang"},
    {"Fran\xE7"
     "ais",
     "quib_server_fr.lang"},
};

class LanguageDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }

    // Runs `answer` on the dialog once the modal dialog is up.
    static void WhenShown(std::function<void(LanguageDialog&)> answer) {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<LanguageDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "no language dialog on screen";
            answer(*dialog);
        });
    }

    // Clicks OK from a timer, so that a dialog left open fails the test
    // instead of hanging it.
    static void ClickOkLater(int delayMs) {
        QTimer::singleShot(delayMs, [] {
            if (auto* dialog = qobject_cast<LanguageDialog*>(QApplication::activeModalWidget())) {
                QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
            }
        });
    }
};

TEST_F(LanguageDialogTest, ShowsTheEntriesWithEntryZeroSelected) {
    LanguageDialog dialog(kChoices);
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("languageList"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(0), QStringLiteral("Deutsch"));
    EXPECT_EQ(list->itemText(1), QStringLiteral("English"));
    EXPECT_EQ(list->itemText(2), QString::fromUtf8("Fran\u00e7ais"));
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(dialog.SelectedIndex(), 0);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sprache/Language:"));
}

TEST_F(LanguageDialogTest, GeometryAndWidgetPositions) {
    LanguageDialog dialog(kChoices);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(270, 90));
    EXPECT_EQ(dialog.minimumSize(), QSize(270, 90));
    EXPECT_EQ(dialog.maximumSize(), QSize(270, 90));

    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), QString::fromUtf8("Sprache ausw\u00e4hlen/Select language:"));
    EXPECT_EQ(labels[0]->geometry(), QRect(10, 10, 280, 15));

    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("languageList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->geometry(), QRect(10, 30, 250, 21));

    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("languageOk"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(ok->geometry(), QRect(200, 60, 60, 20));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint centre = screen->availableGeometry().center();
        const QPoint shown = dialog.frameGeometry().center();
        EXPECT_LE(std::abs(shown.x() - centre.x()), 1);
        EXPECT_LE(std::abs(shown.y() - centre.y()), 1);
    }
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowTitleHint));
}

TEST_F(LanguageDialogTest, OkReturnsEntryZeroByDefault) {
    WhenShown([](LanguageDialog& dialog) { QTest::mouseClick(dialog.okButton(), Qt::LeftButton); });
    QtLanguageChooser chooser;
    EXPECT_EQ(chooser.Choose(kChoices), std::optional<std::size_t>(0));
}

TEST_F(LanguageDialogTest, OkReturnsTheSelectedIndex) {
    WhenShown([](LanguageDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("languageList"))->setCurrentIndex(2);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("languageOk")),
                          Qt::LeftButton);
    });
    QtLanguageChooser chooser;
    EXPECT_EQ(chooser.Choose(kChoices), std::optional<std::size_t>(2));
}

TEST_F(LanguageDialogTest, SingleEntryOfAnEmptyDirectory) {
    WhenShown([](LanguageDialog& dialog) {
        EXPECT_EQ(dialog.list()->count(), 1);
        EXPECT_EQ(dialog.list()->itemText(0), QStringLiteral("Deutsch"));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    QtLanguageChooser chooser;
    EXPECT_EQ(chooser.Choose({{"Deutsch", "quib_server_de.lang"}}), std::optional<std::size_t>(0));
}

TEST_F(LanguageDialogTest, CloseBoxAndEscapeDoNotEndTheDialog) {
    bool stillShown = false;
    WhenShown([&stillShown](LanguageDialog& dialog) {
        dialog.list()->setCurrentIndex(1);
        EXPECT_FALSE(dialog.close());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.reject();
        stillShown = dialog.isVisible() &&
                     QApplication::activeModalWidget() == static_cast<QWidget*>(&dialog);
    });
    ClickOkLater(200);
    QtLanguageChooser chooser;
    EXPECT_EQ(chooser.Choose(kChoices), std::optional<std::size_t>(1));
    EXPECT_TRUE(stillShown);
}

TEST_F(LanguageDialogTest, ExecEndsOnlyThroughOk) {
    LanguageDialog dialog(kChoices);
    QPointer<LanguageDialog> guard(&dialog);
    QTimer::singleShot(0, [guard] {
        if (guard) {
            guard->close();
        }
    });
    QTimer::singleShot(100, [guard] {
        if (guard) {
            EXPECT_TRUE(guard->isVisible());
            guard->list()->setCurrentIndex(1);
            QTest::mouseClick(guard->okButton(), Qt::LeftButton);
        }
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedIndex(), 1);
    EXPECT_FALSE(dialog.isVisible());
}

// Without a QApplication no window can be opened: start-up then keeps the
// language file as read. Run in a fresh process, where no test has created
// the application yet.
TEST(QtLanguageChooserTest, WithoutAnApplicationNoDialogOpens) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (QCoreApplication::instance() != nullptr) {
                std::exit(2);
            }
            QtLanguageChooser chooser;
            std::exit(chooser.Choose(kChoices).has_value() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quib::server
