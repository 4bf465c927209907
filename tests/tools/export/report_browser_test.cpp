// The page as a browser shows it: headless Chromium (installed by
// scripts/install-deps) opens the report of the fixture and takes a
// screenshot, in which the charts must stand where the page puts them, at
// their size and in their colours.

#include "tools/export/report.h"

#include "testing/scratch_directory.h"
#include "tests/support/qt_app.h"

#include "tests/tools/export/report_fixture.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace quib::exporter {
namespace {

using quib::testing::ScratchDirectory;

// Chromium takes one to three seconds here; a minute leaves room for a
// loaded machine without letting a hung browser stall the suite.
constexpr int kChromiumMs = 60'000;

// The page is laid out for this width; the height takes in the games table,
// the first pair's charts and the first game's.
constexpr int kWidth = 1280;
constexpr int kHeight = 2400;

// Anti-aliased edges blend a line's colour with the white behind it; its
// middle keeps the colour within a step or two of rounding.
constexpr int kColourTolerance = 6;

// From a legend's line to the top of its chart's plot, and to the bottom
// of a pair's durations and moves.
constexpr int kLegendHeight = 20;
constexpr int kPairChartHeight = 230;

// Where the pixels of one colour are in the screenshot.
struct Spread {
    int count = 0;
    int top = INT_MAX;
    int left = INT_MAX;
    int right = -1;
};

Spread SpreadOf(const QImage& image, QRgb colour, int fromRow = 0, int toRow = INT_MAX) {
    Spread spread;
    for (int y = std::max(fromRow, 0); y < std::min(toRow, image.height()); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (std::abs(qRed(row[x]) - qRed(colour)) <= kColourTolerance &&
                std::abs(qGreen(row[x]) - qGreen(colour)) <= kColourTolerance &&
                std::abs(qBlue(row[x]) - qBlue(colour)) <= kColourTolerance) {
                ++spread.count;
                spread.top = std::min(spread.top, y);
                spread.left = std::min(spread.left, x);
                spread.right = std::max(spread.right, x);
            }
        }
    }
    return spread;
}

// The page of the tables in `tables` as headless Chromium shows it in a
// window of `width` x `height`; a null image (and a failure) when it cannot.
QImage Screenshot(const std::filesystem::path& tables, int width, int height) {
    quib::testing::EnsureApplication();
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) {
        ADD_FAILURE() << "chromium is not installed; scripts/install-deps installs it";
        return {};
    }
    ScratchDirectory scratch;
    for (const char* table : {"games.csv", "rounds.csv", "problems.csv"}) {
        // A folder without problems.csv shows the records check as unknown.
        if (std::filesystem::exists(tables / table)) {
            std::filesystem::copy_file(tables / table, scratch.path() / table);
        }
    }
    const std::filesystem::path page = scratch.path() / "report.html";
    const ReportResult result = WriteReport(scratch.path(), page, "2026-12-10 17:30");
    if (!result.written) {
        ADD_FAILURE() << result.message;
        return {};
    }
    const std::filesystem::path shot = scratch.path() / "report.png";
    QProcess browser;
    browser.setProcessChannelMode(QProcess::MergedChannels);
    browser.start(chromium,
                  {QStringLiteral("--headless"),
                   // Chromium refuses to run as root (as CI does) inside its
                   // sandbox; the page is our own and has no script.
                   QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                   QStringLiteral("--disable-dev-shm-usage"), QStringLiteral("--no-first-run"),
                   QStringLiteral("--disable-extensions"), QStringLiteral("--hide-scrollbars"),
                   QStringLiteral("--user-data-dir=") +
                       QString::fromStdString((scratch.path() / "profile").string()),
                   QStringLiteral("--window-size=%1,%2").arg(width).arg(height),
                   QStringLiteral("--screenshot=") + QString::fromStdString(shot.string()),
                   QStringLiteral("file://") + QString::fromStdString(page.string())});
    if (!browser.waitForStarted(kChromiumMs)) {
        ADD_FAILURE() << "chromium does not start: " << browser.errorString().toStdString();
        return {};
    }
    if (!browser.waitForFinished(kChromiumMs)) {
        browser.kill();
        browser.waitForFinished(5'000);
        ADD_FAILURE() << "chromium did not finish within " << kChromiumMs << " ms";
        return {};
    }
    const QImage image =
        QImage(QString::fromStdString(shot.string())).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        ADD_FAILURE() << "no screenshot; chromium said:\n" << browser.readAll().toStdString();
    }
    return image;
}

TEST(ReportInBrowser, ChromiumShowsTheChartsInTheirColours) {
    const QImage image = Screenshot(quib::testing::kReportFixture, kWidth, kHeight);
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.width(), kWidth);

    // The first pair's learning curve, then its results' bars: the curve's
    // dashed cumulative line runs across nearly all of its 1000 pixels,
    // above the first bar; its moving share begins at the pair's tenth
    // round of 17.
    const QRgb orange = qRgb(0xE6, 0x9F, 0x00);
    const QRgb blue = qRgb(0x00, 0x72, 0xB2);
    const QRgb green = qRgb(0x00, 0x9E, 0x73);
    const QRgb purple = qRgb(0xCC, 0x79, 0xA7);
    const QRgb sky = qRgb(0x56, 0xB4, 0xE9);
    const QRgb vermilion = qRgb(0xD5, 0x5E, 0x00);
    const Spread bars = SpreadOf(image, green);
    ASSERT_GT(bars.count, 1000) << "no results bars";
    const int plotTop = SpreadOf(image, orange).top + kLegendHeight;  // below the legend
    const Spread cumulative = SpreadOf(image, orange, plotTop, bars.top);
    const Spread moving = SpreadOf(image, blue, plotTop, bars.top);
    EXPECT_GT(cumulative.count, 300);
    EXPECT_GT(cumulative.right - cumulative.left, 800);
    EXPECT_GT(moving.count, 100);
    EXPECT_GT(moving.left, cumulative.left + 300);

    // Below the bars, the pair's durations and moves side by side, each
    // 610 pixels wide.
    const int pairRow = SpreadOf(image, purple, bars.top).top;
    const int gameRow = pairRow + kPairChartHeight;
    const Spread pairDurations = SpreadOf(image, purple, pairRow, gameRow);
    const Spread pairMoves = SpreadOf(image, sky, pairRow, gameRow);
    ASSERT_GT(pairDurations.count, 100);
    ASSERT_GT(pairMoves.count, 100);
    EXPECT_LT(std::abs(pairDurations.top - pairMoves.top), 10);
    EXPECT_GT(pairMoves.left, pairDurations.right);
    EXPECT_GT(pairDurations.right - pairDurations.left, 400);
    EXPECT_GT(SpreadOf(image, vermilion, pairRow, gameRow).count, 100);

    // Below them, the first game's learning curve, durations and moves in a
    // row of three.
    const Spread gameCurve = SpreadOf(image, orange, gameRow);
    const Spread gameDurations = SpreadOf(image, purple, gameRow);
    const Spread gameMoves = SpreadOf(image, vermilion, gameRow);
    for (const Spread* spread : {&gameCurve, &gameDurations, &gameMoves}) {
        EXPECT_GT(spread->count, 100);
    }
    EXPECT_LT(std::abs(gameCurve.top - gameDurations.top), 10);
    EXPECT_LT(std::abs(gameDurations.top - gameMoves.top), 10);
    EXPECT_LT(gameCurve.left, gameDurations.left);
    EXPECT_LT(gameDurations.left, gameMoves.left);
}

// The made-up tables of data/report_demo give the README's picture of the
// page, saved as report.png in $QUIB_SCREENSHOT_DIR when that is set
// (scripts/screenshots).
TEST(ReportInBrowser, DemoTablesGiveTheReadmePicture) {
    // The top of the page down to the first pair's durations and moves with
    // their captions.
    constexpr int kPictureHeight = 1900;
    const QImage image = Screenshot(quib::testing::kReportDemo, kWidth, 2200);
    ASSERT_FALSE(image.isNull());
    const QImage picture = image.copy(0, 0, kWidth, kPictureHeight);
    // The first pair played 84 rounds in three games: its moving share runs
    // from the tenth over most of the 1000 pixels of its chart, above the
    // bars of its three levels; its durations and moves follow within the
    // picture.
    const Spread bars = SpreadOf(picture, qRgb(0x00, 0x9E, 0x73));
    ASSERT_GT(bars.count, 3000);
    const int plotTop = SpreadOf(picture, qRgb(0xE6, 0x9F, 0x00)).top + kLegendHeight;
    const Spread moving = SpreadOf(picture, qRgb(0x00, 0x72, 0xB2), plotTop, bars.top);
    EXPECT_GT(moving.right - moving.left, 750);
    const Spread durations = SpreadOf(picture, qRgb(0xCC, 0x79, 0xA7), bars.top);
    EXPECT_GT(durations.count, 300);
    EXPECT_LT(durations.top + kPairChartHeight, kPictureHeight);
    if (const char* folder = std::getenv("QUIB_SCREENSHOT_DIR"); folder != nullptr) {
        const QString file = QString::fromLocal8Bit(folder) + QStringLiteral("/report.png");
        EXPECT_TRUE(picture.save(file)) << file.toStdString();
    }
}

}  // namespace
}  // namespace quib::exporter
