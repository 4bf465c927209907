// "quib_server --check-records [folder]" as a lab runs it: the real program,
// without a display, on a copy of the scripted game's folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"

namespace {

namespace fs = std::filesystem;
using quib::testing::NamesIn;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

const std::string kAgreed =
    "checked 1 game, 4 rounds, 2 subjects (1 row of archived games): no problems found\n";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs quib_server in `workDir` with no display of any kind.
Outcome RunServer(const std::vector<std::string>& arguments, const fs::path& workDir,
                  const fs::path& outputDir) {
    const fs::path out = outputDir / "out.txt";
    const fs::path err = outputDir / "err.txt";
    std::vector<std::string> words = {QUIB_SERVER_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0 ||
            ::chdir(workDir.c_str()) != 0) {
            ::_exit(126);
        }
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            ::unsetenv(name);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Outcome outcome;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
    }
    outcome.out = ReadBytes(out);
    outcome.err = ReadBytes(err);
    return outcome;
}

class CheckRecordsCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(lab);
        fs::create_directories(output);
        fs::copy(QUIB_SCRIPTED_GAME_DIR, lab, fs::copy_options::recursive);
    }

    ScratchDirectory dir;
    fs::path lab = dir.path() / "lab";
    fs::path output = dir.path() / "output";
};

TEST_F(CheckRecordsCommand, AgreeingRecordsExitZeroAndChangeNothing) {
    const std::vector<std::string> before = NamesIn(lab);
    const std::string subject = ReadBytes(lab / "log/p000012.csv");

    const Outcome named = RunServer({"--check-records", lab.string()}, output, output);
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, kAgreed);
    EXPECT_EQ(named.err, "");

    const Outcome here = RunServer({"--check-records"}, lab, output);
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_EQ(here.out, kAgreed);

    // Neither a language file nor settings are written, as the server
    // would on its first start there.
    EXPECT_EQ(NamesIn(lab), before);
    EXPECT_EQ(ReadBytes(lab / "log/p000012.csv"), subject);
}

TEST_F(CheckRecordsCommand, ProblemsArePrintedOnePerLineAndExitOne) {
    WriteBytes(lab / "log/.records-journal", "");
    for (const char* file : {"log/g000000.csv", "log2/g000000.csv"}) {
        std::string game = ReadBytes(lab / file);
        game.replace(game.find("Runden:;4"), 9, "Runden:;3");
        WriteBytes(lab / file, game);
    }

    const Outcome outcome = RunServer({"--check-records", lab.string()}, output, output);
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_EQ(outcome.out,
              "log/.records-journal: unfinished write; start the server once to complete it\n"
              "log/g000000.csv:16: Runden: 3, but 4 round lines\n"
              "log/p000005.csv:11: Runden of g000000.csv: 4, but log/g000000.csv has 3\n"
              "log/p000012.csv:12: Runden of g000000.csv: 4, but log/g000000.csv has 3\n"
              "checked 1 game, 4 rounds, 2 subjects (1 row of archived games): 4 problems "
              "found\n");
}

TEST_F(CheckRecordsCommand, UnusableFolderOrArgumentsExitTwo) {
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"--check-records", (lab / "missing").string()}, "cannot check the records"},
        {{"--check-records", (lab / "log/g000000.csv").string()}, "cannot check the records"},
        {{"--check-records", (lab / "log").string()}, "cannot check the records"},
        {{"--check-records", lab.string(), lab.string()}, "usage: quib_server --check-records"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = RunServer(c.arguments, output, output);
        EXPECT_EQ(outcome.status, 2) << c.arguments.back();
        EXPECT_EQ(outcome.out, "") << c.arguments.back();
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    }
}

// Subject files are read by their labels in the language the lab's server
// uses: the settings file names it.
TEST_F(CheckRecordsCommand, SubjectLabelsComeFromTheLabsLanguageFile) {
    WriteBytes(lab / "log/p000005.csv",
               "Spieler\nNote: second session\nNumber;000005\nName;Maren\nComment;\n"
               "Erstellt;09.03.24;14:02:30\n\nPoints;3;Rekord;3\n"
               "Rounds;4;Playing time;21799;00:00:21\n\n"
               "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige\n"
               "g000000.csv;09.03.24 14:05:07;p000012.csv;3;3;4;21799;00:00:21;1;1\n");
    const Outcome german = RunServer({"--check-records", lab.string()}, output, output);
    EXPECT_EQ(german.status, 1);
    EXPECT_NE(german.out.find("log/p000005.csv: layout not recognised"), std::string::npos)
        << german.out;

    WriteBytes(lab / "quib_server.prefs",
               "[Sonstiges]\r\naskOptions = 1\r\nLanguage = quib_server_en.lang\r\n");
    WriteBytes(lab / "quib_server_en.lang",
               "[Allgemein]\r\nLanguage = English\r\n[Text]\r\ntxt130 = Points\r\n"
               "txt146 = Number\r\ntxt147 = Name\r\ntxt148 = Comment\r\ntxt150 = Rounds\r\n"
               "txt151 = Playing time\r\n");
    const Outcome english = RunServer({"--check-records", lab.string()}, output, output);
    EXPECT_EQ(english.status, 0) << english.out;
    EXPECT_EQ(english.out, kAgreed);
}

}  // namespace
