#include "client/window/language_chooser.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/qt_app.h"

namespace quib::client {
namespace {

const std::vector<LanguageChoice> kChoices = {{"Deutsch", "quib_client_de.lang"},
                                              {"Fran\xE7"
                                               "ais",
                                               "quib_client_fr.lang"}};

class LanguageChooserTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }
};

TEST_F(LanguageChooserTest, ShowsTheChoicesWithTheFirstSelected) {
    LanguageChooser chooser(kChoices);
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Sprache/Language:"));
    EXPECT_EQ(chooser.size(), QSize(270, 90));
    ASSERT_EQ(chooser.list()->count(), 2);
    EXPECT_EQ(chooser.list()->itemText(1), QString::fromUtf8("Fran\xC3\xA7"
                                                             "ais"));
    EXPECT_EQ(chooser.selected(), 0);
    EXPECT_EQ(chooser.list()->geometry(), QRect(10, 30, 250, 21));
    EXPECT_EQ(chooser.okButton()->geometry(), QRect(200, 60, 60, 20));
}

TEST_F(LanguageChooserTest, OnlyOkEndsIt) {
    LanguageChooser chooser(kChoices);
    chooser.show();
    chooser.list()->setCurrentIndex(1);
    QTest::keyClick(&chooser, Qt::Key_Escape);
    QCloseEvent close;
    QCoreApplication::sendEvent(&chooser, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(chooser.isVisible());
    QTest::mouseClick(chooser.okButton(), Qt::LeftButton);
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.selected(), 1);
}

}  // namespace
}  // namespace quib::client
