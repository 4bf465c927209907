// A subject file opened and saved by a real spreadsheet (headless LibreOffice
// Calc, from Debian's packages; scripts/install-deps installs it), then used
// in a game: the server, the records check and the export read the same
// values from it, and the server's update after a round stays readable by
// all three.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "server/core/texts.h"
#include "server/records/records_check.h"
#include "server/records/subject_content.h"
#include "server/records/subject_rounds.h"
#include "testing/scratch_directory.h"
#include "tools/export/lab_files.h"
#include "tools/export/vocabulary.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

// Windows-1252: ß is 0xDF.
const std::string kCommentLine =
    "Kommentar;\"Neuer Kommentar; mit Semikolon, \"\"Zitat\"\" und \xDF\"";
const std::string kComment = "Neuer Kommentar; mit Semikolon, \"Zitat\" und \xDF";

bool HaveSoffice() {
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// Opens `file` in Calc and saves it as CSV with ";", '"' and Windows-1252
// (filter options 59,34,1252) under `outDir`, with the US English locale, so
// that Calc rewrites the times as "2:02:30 PM", drops leading zeros and pads
// the lines. A private profile keeps the user's own away; the timeout ends a
// Calc that hangs.
bool SaveThroughCalc(const fs::path& file, const fs::path& outDir, const fs::path& profile) {
    const std::string command =
        "LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 timeout 180 soffice -env:UserInstallation=file://" +
        profile.string() + " --headless --infilter=CSV:59,34,1252 --convert-to " +
        "'csv:Text - txt - csv (StarCalc):59,34,1252' --outdir '" + outDir.string() + "' '" +
        file.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && fs::exists(outDir / file.filename());
}

// What each reader must agree on.
struct Values {
    long long number, points, record, rounds, playMs;
    std::string name, comment, created;
    bool operator==(const Values&) const = default;
};

Values ServerValues(const std::string& bytes, const server::ServerTexts& texts) {
    const auto read = server::ReadSubjectContent(bytes, texts);
    if (const auto* refusal = std::get_if<server::SubjectRefusal>(&read)) {
        ADD_FAILURE() << "refused: " << refusal->reason;
        return {};
    }
    const auto& c = std::get<server::SubjectContent>(read);
    return {c.number, c.points, c.record,  c.rounds,
            c.playMs, c.name,   c.comment, c.created ? c.created->Iso() : ""};
}

Values ExportValues(const std::string& bytes, const Vocabularies& vocabularies) {
    const Parsed<SubjectFile> parsed = ParseSubjectFile(bytes, vocabularies);
    if (const auto* error = std::get_if<ParseError>(&parsed)) {
        ADD_FAILURE() << "line " << error->line << ": " << error->text;
        return {};
    }
    const SubjectFile& s = std::get<SubjectFile>(parsed);
    return {s.number, s.points, s.record, s.rounds, s.playMs, s.name, s.comment, s.createdAt};
}

// The second game of Maren (seat 0, p000005.csv) with p000012.csv: two
// rounds, one won, 5000 ms.
server::FinishedRound NextGameRound() {
    server::FinishedRound round;
    round.game = {1, "g000001.csv", {2024, 3, 10, 9, 30, 0}, 1000, 1, 1, 0, 2, 5000};
    round.fileName = "r000004.csv";
    round.won = 0;
    const char* files[] = {"/lab/log/p000005.csv", "/lab/log/p000012.csv"};
    for (int s = 0; s < 2; ++s) {
        round.seats[s].subject.subjectNumber = s == 0 ? 5 : 12;
        round.seats[s].subject.subjectFile = files[s];
        round.seats[s].level = 1;
    }
    return round;
}

std::string ProblemsOf(const server::RecordsCheck& check) {
    std::string text = check.unusable;
    for (const server::RecordProblem& problem : check.problems) {
        text += server::ProblemLine(problem) + "\n";
    }
    return text;
}

TEST(CalcSavedSubjectFile, IsReadAlikeByAllAndStaysReadableAfterARound) {
    if (!HaveSoffice()) {
        GTEST_SKIP() << "soffice is not installed (scripts/install-deps installs it)";
    }
    ScratchDirectory dir;
    const fs::path lab = dir.path() / "lab";
    fs::copy(QUIB_SCRIPTED_GAME_DIR, lab, fs::copy_options::recursive);
    const fs::path subject = lab / "log" / "p000005.csv";
    std::string original = ReadBytes(subject);
    original.replace(original.find("Kommentar;"), std::string("Kommentar;").size(), kCommentLine);
    WriteBytes(subject, original);
    const server::ServerTexts texts;
    const Values before = ServerValues(original, texts);
    ASSERT_EQ(before.comment, kComment);

    const fs::path saved = dir.path() / "saved";
    ASSERT_TRUE(SaveThroughCalc(subject, saved, dir.path() / "profile"));
    const std::string calc = ReadBytes(saved / "p000005.csv");
    // What Calc did: the number without its zeros, times of day, padding.
    ASSERT_NE(calc.find("Spielernr.;5;"), std::string::npos) << calc;
    ASSERT_NE(calc.find(" PM"), std::string::npos) << calc;
    ASSERT_NE(calc.find(";;;"), std::string::npos) << calc;
    WriteBytes(subject, calc);

    // The same values for the server, the check and the export.
    EXPECT_EQ(ServerValues(calc, texts), before);
    const std::optional<Vocabularies> vocabularies = Vocabularies::ForLab(lab, std::nullopt);
    ASSERT_TRUE(vocabularies.has_value());
    EXPECT_EQ(ExportValues(calc, *vocabularies), before);
    const server::RecordsCheck checkedBefore = server::CheckRecords(lab, texts);
    EXPECT_EQ(ProblemsOf(checkedBefore), "");

    // A round of the next game applied by the server's record writer.
    const server::FinishedRound round = NextGameRound();
    const std::optional<server::SubjectUpdate> update =
        server::SubjectFileAfterRound(calc, 0, round, texts);
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->subject.totalPoints, before.points + 1);
    EXPECT_EQ(update->subject.totalRounds, before.rounds + 2);
    EXPECT_EQ(update->subject.totalPlayMs, before.playMs + 5000);
    EXPECT_EQ(update->subject.comment, kComment);
    WriteBytes(subject, update->text);

    Values after = before;
    after.points += 1;
    after.rounds += 2;
    after.playMs += 5000;
    EXPECT_EQ(ServerValues(update->text, texts), after);
    EXPECT_EQ(ExportValues(update->text, *vocabularies), after);
    // The new game's files are not in the lab: its row counts as archived.
    const server::RecordsCheck check = server::CheckRecords(lab, texts);
    EXPECT_EQ(ProblemsOf(check), "");
    EXPECT_EQ(check.archivedGameRows, checkedBefore.archivedGameRows + 1);
}

}  // namespace
}  // namespace quib::exporter
