// quib_export's command line: its arguments, what it prints and the exit
// status for a clean lab, a lab with problems and a folder it cannot read,
// the report drawn after the tables, and the progress bar on a terminal.

#include "tools/export/export_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "testing/scratch_directory.h"
#include "testing/synthetic_lab/synthetic_lab.h"
#include "tests/support/case_name.h"
#include "tools/export/lab_export.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;

struct ArgumentsCase {
    const char* name;
    std::vector<std::string> arguments;
    bool valid;
    CommandLine expected;  // when valid
};

const ArgumentsCase kArguments[] = {
    {"Folders", {"lab", "out"}, true, {"lab", "out", "", "", false}},
    {"AllOptions",
     {"--lang", "x.lang", "--allow-problems", "lab", "--report", "r.html", "out"},
     true,
     {"lab", "out", "x.lang", "r.html", true}},
    {"ReportAlone", {"--report", "out/report.html"}, true, {"", "", "", "out/report.html", false}},
    {"OneFolder", {"lab"}, false, {}},
    {"ThreeFolders", {"a", "b", "c"}, false, {}},
    {"LangWithoutFile", {"lab", "out", "--lang"}, false, {}},
    {"UnknownOption", {"--fast", "lab", "out"}, false, {}},
    {"EmptyFolder", {"", "out"}, false, {}},
    {"ReportAloneWithLang", {"--report", "r.html", "--lang", "x"}, false, {}},
    {"Lab",
     {"--lab", "econlab-north", "lab", "out"},
     true,
     {"lab", "out", "", "", false, false, false, "econlab-north"}},
    {"LabWithoutIdentity", {"lab", "out", "--lab"}, false, {}},
    // An identity ends up as a cell of every table and in file names.
    {"LabWithSpace", {"--lab", "north lab", "lab", "out"}, false, {}},
    {"LabWithSlash", {"--lab", "../north", "lab", "out"}, false, {}},
};

class Arguments : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(Arguments, AreTakenOrRefused) {
    CommandLine line;
    std::string error;
    const bool valid = ParseCommandLine(GetParam().arguments, line, error);
    ASSERT_EQ(valid, GetParam().valid) << error;
    if (valid) {
        const CommandLine& expected = GetParam().expected;
        EXPECT_EQ(line.lab, expected.lab);
        EXPECT_EQ(line.out, expected.out);
        EXPECT_EQ(line.language, expected.language);
        EXPECT_EQ(line.report, expected.report);
        EXPECT_EQ(line.allowProblems, expected.allowProblems);
        EXPECT_EQ(line.labId, expected.labId);
    } else {
        EXPECT_NE(error, "");
    }
}

INSTANTIATE_TEST_SUITE_P(, Arguments, ::testing::ValuesIn(kArguments), quib::testing::CaseName());

class Command : public ::testing::Test {
  protected:
    int Run(CommandLine line, bool terminal = false) {
        out.str("");
        err.str("");
        return RunExportCommand(line, out, err, terminal);
    }

    quib::testing::ScratchDirectory dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(Command, ExportsACleanLabAndDrawsTheReport) {
    CommandLine line;
    line.lab = QUIB_SCRIPTED_GAME_DIR;
    line.out = (dir.path() / "out").string();
    line.report = (dir.path() / "out" / "report.html").string();
    EXPECT_EQ(Run(line), kExportClean) << err.str();
    EXPECT_EQ(out.str(), "1 game, 4 rounds; 0 problems (problems.csv); tables written to " +
                             line.out + "\nreport written to " + line.report + "\n");
    EXPECT_TRUE(fs::exists(line.report));
}

TEST_F(Command, ALabWithProblemsGetsNoTablesUnlessAllowed) {
    CommandLine line;
    line.lab = (fs::path(QUIB_TEST_DATA_DIR) / "study_lab").string();
    line.out = (dir.path() / "out").string();
    EXPECT_EQ(Run(line), kExportProblems);
    EXPECT_NE(out.str().find("1 problem (problems.csv); no tables written"), std::string::npos)
        << out.str();
    EXPECT_EQ(err.str(), "log/g000001.csv:23: r000007.csv is missing\n");
    EXPECT_FALSE(fs::exists(dir.path() / "out" / "games.csv"));
    line.allowProblems = true;
    EXPECT_EQ(Run(line), kExportProblems);
    EXPECT_TRUE(fs::exists(dir.path() / "out" / "games.csv"));
}

TEST_F(Command, AFolderWithoutRecordsIsNamed) {
    CommandLine line;
    line.lab = (dir.path() / "nothing").string();
    line.out = (dir.path() / "out").string();
    EXPECT_EQ(Run(line), kExportUnreadable);
    EXPECT_NE(err.str().find("cannot read the lab folder"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

TEST_F(Command, ShowsAProgressBarOnATerminalForALargeLab) {
    std::mt19937 random(7);
    quib::testing::SyntheticLabOptions options;
    options.rounds = 600;
    options.games = 6;
    quib::testing::WriteSyntheticLab(dir.path() / "lab", options, random);
    CommandLine line;
    line.lab = (dir.path() / "lab").string();
    line.out = (dir.path() / "out").string();
    EXPECT_EQ(Run(line, false), kExportClean) << err.str();
    EXPECT_EQ(err.str(), "") << "a bar without a terminal";
    EXPECT_EQ(Run(line, true), kExportClean) << err.str();
    const std::string bar = err.str();
    EXPECT_NE(bar.find("\r[" + std::string(40, '#') + "] "), std::string::npos) << bar;
    EXPECT_TRUE(bar.ends_with(" files\n")) << bar;
}

}  // namespace
}  // namespace quib::exporter
