// RunWithGuiApplication in a program that has made no QApplication; each
// test runs in a process of its own under CTest, and they leave none behind.

#include "tools/export/report_app.h"
#include "tools/export/report.h"

#include "testing/scratch_directory.h"
#include "tests/support/qt_app.h"  // for LeakSanitizer's view of fontconfig

#include "tests/tools/export/report_fixture.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>

namespace quib::exporter {
namespace {

TEST(RunWithGuiApplication, DrawsOffscreenWhenTheDisplayCannotBeReached) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    // A display set but not there, as over a remote login without one:
    // Qt's usual platform would end the program.
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("DISPLAY", ":97", 1);
    quib::testing::ScratchDirectory scratch;
    quib::testing::CopyReportFixture(scratch.path());
    QString platform;
    ReportResult result;
    const int status = RunWithGuiApplication([&] {
        platform = QGuiApplication::platformName();
        result = WriteReport(scratch.path(), scratch.path() / "report.html");
        return 7;
    });
    EXPECT_EQ(status, 7);
    EXPECT_EQ(platform.toStdString(), "offscreen");
    EXPECT_TRUE(result.written) << result.message;
    EXPECT_EQ(QCoreApplication::instance(), nullptr);  // ended with the call
}

TEST(RunWithGuiApplication, WithoutItTheReportSaysWhatItNeeds) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    quib::testing::ScratchDirectory scratch;
    quib::testing::CopyReportFixture(scratch.path());
    const ReportResult result = WriteReport(scratch.path(), scratch.path() / "report.html");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "the report needs a QGuiApplication to draw its charts");
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "report.html"));
}

}  // namespace
}  // namespace quib::exporter
