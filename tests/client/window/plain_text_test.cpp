// Text from outside reaches the player's window from the server's text lines
// and from language files; none of it may be read as markup.

#include <sys/socket.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QLabel>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "client/client_settings.h"
#include "client/window/client_app.h"
#include "client/window/language_chooser.h"
#include "client/window/qt_options_prompts.h"
#include "common/unique_fd.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "testing/scratch_directory.h"
#include "tests/client/window/scripted_prompts.h"
#include "tests/support/case_name.h"
#include "tests/support/loopback.h"
#include "tests/support/markup_scan.h"
#include "tests/support/modal_look.h"
#include "tests/support/qt_app.h"

namespace quib::client {
namespace {

using quib::testing::WidgetsReadingMarkup;
using ::testing::Contains;
using ::testing::IsEmpty;

// Markup that would show a picture instead of the text. The picture does
// not exist: should a widget read it as markup after all, the test fails
// without loading anything.
const std::string kMarkup = "<b>x</b><img src=\"missing.png\">";

class ClientPlainTextTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }

    quib::testing::ScratchDirectory dir;
    testing::ScriptedPrompts prompts;
};

TEST_F(ClientPlainTextTest, TextLinesShowAsTheyCameAndNoWidgetReadsMarkup) {
    const quib::testing::LoopbackListener listener = quib::testing::ListenOnLoopback();
    ASSERT_TRUE(listener.fd);
    ClientSettings settings;
    settings.ip = "127.0.0.1";
    settings.port = listener.port;
    settings.askOptions = 0;
    ASSERT_TRUE(SaveClientSettings(dir.path(), settings));
    ClientApp app(ClientAppConfig{dir.path(), true, "player-host"}, prompts, [] {});
    app.Open();
    LanguageChooser languages({{kMarkup, "x.lang"}});
    EXPECT_THAT(WidgetsReadingMarkup(), IsEmpty()) << "after start-up";

    ASSERT_TRUE(app.Connect());
    UniqueFd server(::accept(listener.fd.get(), nullptr, nullptr));
    ASSERT_TRUE(server);
    app.StartNetwork();
    auto frame = std::make_unique<protocol::SendBuffer>();
    frame->StartFrame();
    ASSERT_TRUE(protocol::Append(*frame, protocol::FrameStart{}));
    ASSERT_TRUE(protocol::Append(*frame, protocol::LeftText{0x00FFFFFF, {kMarkup}}));
    const std::string twoLines = "lab\n" + kMarkup;
    ASSERT_TRUE(protocol::Append(*frame, protocol::RightText{0x00FFFFFF, {twoLines}}));
    const auto bytes = frame->FinishFrame();
    ASSERT_EQ(::send(server.get(), bytes.data(), bytes.size(), 0),
              static_cast<ssize_t>(bytes.size()));

    QLabel* left = app.window().text(TextField::Left);
    QLabel* right = app.window().text(TextField::Right);
    quib::testing::ProcessEventsUntil([&] { return !right->text().isEmpty(); },
                                      std::chrono::seconds(10));
    EXPECT_EQ(left->text().toStdString(), " " + kMarkup);
    EXPECT_EQ(right->text().toStdString(), " lab\n" + kMarkup);
    EXPECT_THAT(WidgetsReadingMarkup(), IsEmpty()) << "with the server's texts shown";
    app.StopNetwork();
}

struct BoxCase {
    const char* name;
    // Opens the box with kMarkup as its title and its text.
    void (*open)(OptionsPrompts& boxes);
};
void PrintTo(const BoxCase& box, std::ostream* out) {
    *out << box.name;
}

class ClientBoxTest : public ::testing::TestWithParam<BoxCase> {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }
};

TEST_P(ClientBoxTest, ShowsItsTextAsItCame) {
    QtOptionsPrompts boxes;
    const quib::testing::ModalLook look =
        quib::testing::LookAtModal([&] { GetParam().open(boxes); });
    ASSERT_TRUE(look.seen);
    EXPECT_THAT(look.labelTexts, Contains(QString::fromStdString(kMarkup)));
    EXPECT_THAT(look.readingMarkup, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ClientBoxTest,
    ::testing::Values(
        BoxCase{"Information",
                [](OptionsPrompts& boxes) { boxes.ShowInformation(kMarkup, kMarkup); }},
        BoxCase{"Question", [](OptionsPrompts& boxes) { boxes.AskYesNo(kMarkup, kMarkup); }},
        BoxCase{"TextInput", [](OptionsPrompts& boxes) { boxes.AskText(kMarkup, kMarkup, ""); }}),
    quib::testing::CaseName());

}  // namespace
}  // namespace quib::client
