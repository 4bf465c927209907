// The one reader of subject files: its fields as CSV reads them, and what a
// spreadsheet's save may do to the file.

#include "server/records/subject_content.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/codepage.h"
#include "server/records/csv_text.h"
#include "server/records/subject_format.h"
#include "server/records/subject_text.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

// ------------------------------------------------------------ the fields

struct FieldsCase {
    const char* name;
    std::string line;
    // The values, or nothing when the line is refused.
    std::optional<std::vector<std::string>> values;
};

class QuotedFieldsTest : public ::testing::TestWithParam<FieldsCase> {};

TEST_P(QuotedFieldsTest, ReadsFieldsAsCsvDoes) {
    const FieldsCase& c = GetParam();
    std::string problem;
    const std::optional<std::vector<std::string_view>> spans = QuotedFieldSpans(c.line, &problem);
    ASSERT_EQ(spans.has_value(), c.values.has_value()) << problem;
    if (!spans) {
        EXPECT_FALSE(problem.empty());
        return;
    }
    std::vector<std::string> values;
    for (const std::string_view raw : *spans) {
        values.push_back(UnquotedField(raw));
    }
    EXPECT_EQ(values, *c.values);
}

using V = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Lines, QuotedFieldsTest,
    ::testing::Values(
        FieldsCase{"Plain", "Punkte;14;Rekord;5", V{"Punkte", "14", "Rekord", "5"}},
        FieldsCase{
            "SeparatorAndDoubledQuotesInsideQuotes",
            "Kommentar;\"Neuer Kommentar; mit Semikolon, \"\"Zitat\"\" und \xDF\";;;;",
            V{"Kommentar", "Neuer Kommentar; mit Semikolon, \"Zitat\" und \xDF", "", "", "", ""}},
        FieldsCase{"EmptyQuotedField", "a;\"\";b", V{"a", "", "b"}},
        FieldsCase{"SpacesAroundAreTrimmedNotInside", " a ; \" b \" ;c", V{"a", " b ", "c"}},
        // Files written so far hold comments with quotes inside.
        FieldsCase{"QuoteInsideAnUnquotedFieldIsText", "Kommentar;er sagte \"ja\"",
                   V{"Kommentar", "er sagte \"ja\""}},
        FieldsCase{"QuotedFieldRunsPastTheLineEnd", "Kommentar;\"erste Zeile", std::nullopt},
        FieldsCase{"TextAfterTheClosingQuote", "Kommentar;\"ja\" sagte er", std::nullopt},
        FieldsCase{"LoneQuoteInsideQuotes", "Kommentar;\"a\"b\"", std::nullopt}),
    quib::testing::CaseName());

struct QuotedCase {
    const char* name;
    std::string value;
    std::string written;
};

class CsvQuotedTest : public ::testing::TestWithParam<QuotedCase> {};

// Quotes only where a value needs them, and reads back as the value.
TEST_P(CsvQuotedTest, QuotesOnlyWhereNeededAndReadsBack) {
    const QuotedCase& c = GetParam();
    EXPECT_EQ(CsvQuoted(c.value), c.written);
    EXPECT_EQ(SubjectField("Kommentar;" + CsvQuoted(c.value) + ";x", 2), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CsvQuotedTest,
    ::testing::Values(QuotedCase{"Ordinary",
                                 "m\xFC"
                                 "de\\nzweite\\, Zeile",
                                 "m\xFC"
                                 "de\\nzweite\\, Zeile"},
                      QuotedCase{"Empty", "", ""}, QuotedCase{"Semicolon", "a;b", "\"a;b\""},
                      QuotedCase{"Quotes", "\"ja\" sagte er", "\"\"\"ja\"\" sagte er\""}),
    quib::testing::CaseName());

// ------------------------------------------------------------ the file

// A subject file as the server writes it, with one game row.
const std::vector<std::string> kFile = {
    "Spieler",
    "Spielernr.;000003",
    "Spielername;Anna",
    "Kommentar;m\xFC"
    "de\\nnach 2 Runden",
    "Erstellt;09.03.24;14:02:30",
    "",
    "Punkte;3;Rekord;3",
    "Runden;4;Spielzeit;21799;00:00:21",
    "",
    "Spieldatei;Zeit;Gegner;Punkte;Highscore;Runden;Dauer (ms);Dauer;Level;Anzeige",
    "g000000.csv;09.03.24 14:05:07;p000012.csv;3;3;4;21799;00:00:21;1;1",
};

std::string FileWith(std::size_t line, const std::string& text) {
    std::string file;
    for (std::size_t i = 0; i < kFile.size(); ++i) {
        file += (i == line ? text : kFile[i]) + "\r\n";
    }
    return file;
}

struct ContentCase {
    const char* name;
    std::size_t line;  // from 0, replaced by `text`
    std::string text;
    // What is read then: a field of the content as text, or the refusal's
    // line (from 0).
    std::string (*read)(const SubjectContent&) = nullptr;
    std::string expected;
    std::optional<std::size_t> refusedLine;
};

std::string Number(const SubjectContent& c) {
    return std::to_string(c.number);
}
std::string Comment(const SubjectContent& c) {
    return c.comment;
}
std::string Created(const SubjectContent& c) {
    return c.created ? c.created->Iso() : "none";
}
std::string Totals(const SubjectContent& c) {
    return std::to_string(c.points) + "/" + std::to_string(c.record) + "/" +
           std::to_string(c.rounds) + "/" + std::to_string(c.playMs);
}
std::string RowStart(const SubjectContent& c) {
    return c.rows.size() == 1 && c.rows[0].start ? c.rows[0].start->Iso() : "none";
}
std::string Row(const SubjectContent& c) {
    return c.rows.size() == 1 ? c.rows[0].partner + "/" + std::to_string(c.rows[0].rounds) + "/" +
                                    std::to_string(c.rows[0].playMs)
                              : "no row";
}

ContentCase Reads(const char* name, std::size_t line, std::string text,
                  std::string (*read)(const SubjectContent&), std::string expected) {
    return {name, line, std::move(text), read, std::move(expected), std::nullopt};
}

ContentCase Refused(const char* name, std::size_t line, std::string text) {
    return {name, line, std::move(text), nullptr, "", line};
}

class SubjectContentTest : public ::testing::TestWithParam<ContentCase> {};

TEST_P(SubjectContentTest, ReadsWhatASpreadsheetWritesOrNamesTheLine) {
    const ContentCase& c = GetParam();
    const ServerTexts texts;
    const auto read = ReadSubjectContent(FileWith(c.line, c.text), texts);
    if (c.refusedLine) {
        ASSERT_TRUE(std::holds_alternative<SubjectRefusal>(read));
        EXPECT_EQ(std::get<SubjectRefusal>(read).line, c.refusedLine);
        return;
    }
    ASSERT_TRUE(std::holds_alternative<SubjectContent>(read))
        << std::get<SubjectRefusal>(read).reason;
    EXPECT_EQ(c.read(std::get<SubjectContent>(read)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Saves, SubjectContentTest,
    ::testing::Values(
        Reads("AsTheServerWritesIt", 0, "Spieler", Totals, "3/3/4/21799"),
        Reads("LeadingZerosDropped", 1, "Spielernr.;3;;;;", Number, "3"),
        Reads("QuotedCommentWithSemicolonAndQuotes", 3,
              "Kommentar;\"Neuer Kommentar; mit Semikolon, \"\"Zitat\"\" und \xDF\";;;;", Comment,
              "Neuer Kommentar; mit Semikolon, \"Zitat\" und \xDF"),
        Reads("EncodedCommentAsEver", 3, "Kommentar;zwei\\nZeilen\\, eins", Comment,
              "zwei\r\nZeilen; eins"),
        Reads("TotalsPaddedAndQuoted", 6, "Punkte;\"3\";Rekord;3;;;;;;", Totals, "3/3/4/21799"),
        Reads("EmptyTotalReadsZero", 6, "Punkte;3;Rekord", Totals, "3/0/4/21799"),
        Reads("CreatedAsTheServerWritesIt", 4, "Erstellt;09.03.24;14:02:30", Created,
              "2024-03-09T14:02:30"),
        Reads("CreatedTimeInTwelveHours", 4, "Erstellt;09.03.24;2:02:30 PM;;;", Created,
              "2024-03-09T14:02:30"),
        Reads("CreatedMidnightInTwelveHours", 4, "Erstellt;9.3.2024;12:00:03 AM", Created,
              "2024-03-09T00:00:03"),
        Reads("CreatedIsoDate", 4, "Erstellt;2024-03-09;14:02:30", Created, "2024-03-09T14:02:30"),
        // 12/11/26 may be day or month first: no date rather than a wrong one.
        Reads("CreatedWithSlashesIsNone", 4, "Erstellt;12/11/26;14:02:30", Created, "none"),
        Reads("RowStartWithoutSeconds", 10,
              "g000000.csv;09.03.24 14:05;p000012.csv;3;3;4;21799;00:00:21;1;1", RowStart,
              "2024-03-09T14:05"),
        Reads("RowStartInTwelveHours", 10,
              "g000000.csv;09.03.24 2:05:07 PM;p000012.csv;3;3;4;21799;12:00:21 AM;1;1", RowStart,
              "2024-03-09T14:05:07"),
        Reads("RowPaddedAndQuoted", 10,
              "\"g000000.csv\";09.03.24 14:05:07;\"p000012.csv\";3;3;4;21799;00:00:21;1;1;;", Row,
              "p000012.csv/4/21799"),
        Reads("NoteWithQuotesIsANote", 8, "\"Notiz; mit Semikolon\";;;", Totals, "3/3/4/21799"),
        // Refused, naming the line.
        Refused("LineBreakInsideACommentCell", 3, "Kommentar;\"erste Zeile"),
        Refused("LineBreakInsideANoteCell", 5, "\"Notiz"),
        Refused("TextAfterAClosingQuote", 3, "Kommentar;\"ja\" sagte er"),
        Refused("TotalNoNumber", 7, "Runden;4 Runden;Spielzeit;21799;00:00:21"),
        Refused("NumberWithThousandsSeparator", 7, "Runden;4;Spielzeit;21,799;00:00:21"),
        Refused("RowNumberNoNumber", 10,
                "g000000.csv;09.03.24 14:05:07;p000012.csv;3;3;vier;21799;00:00:21;1;1")),
    quib::testing::CaseName());

// The layout lost: refused for the file as a whole, as always.
TEST(SubjectContent, LayoutNotRecognisedIsRefusedWithoutALine) {
    const ServerTexts texts;
    const auto read = ReadSubjectContent(FileWith(8, "Runden;1;Spielzeit;1;00:00:00"), texts);
    ASSERT_TRUE(std::holds_alternative<SubjectRefusal>(read));
    EXPECT_FALSE(std::get<SubjectRefusal>(read).line.has_value());
}

// ------------------------------------------------------------ UTF-8

// A file saved in UTF-8 with a byte order mark is read as Windows-1252 and
// written back in UTF-8 with its mark; a character Windows-1252 has not is
// refused on its line, since writing it back would lose it.
TEST(SubjectContent, Utf8WithByteOrderMarkIsReadAndKeptInUtf8) {
    const ServerTexts texts;
    std::string utf8 = "\xEF\xBB\xBF" + FileWith(3,
                                                 "Kommentar;m\xC3\xBC"
                                                 "de \xE2\x82\xAC");
    const auto read = ReadSubjectContent(utf8, texts);
    ASSERT_TRUE(std::holds_alternative<SubjectContent>(read));
    EXPECT_EQ(std::get<SubjectContent>(read).comment,
              "m\xFC"
              "de \x80");

    std::optional<SubjectTextEdit> edit = SubjectTextEdit::Open(utf8, texts);
    ASSERT_TRUE(edit.has_value());
    edit->SetField(edit->Layout().commentLine, 2, "gr\xFC\xDF");
    const std::string written = edit->Text();
    EXPECT_TRUE(written.starts_with("\xEF\xBB\xBF"));
    EXPECT_NE(written.find("\nKommentar;gr\xC3\xBC\xC3\x9F\n"), std::string::npos);
    EXPECT_NE(written.find("Spielername;Anna\n"), std::string::npos);

    std::string withChinese = "\xEF\xBB\xBF" + Cp1252ToUtf8(FileWith(5, "Notiz @"));
    withChinese.replace(withChinese.find('@'), 1, "\xE4\xB8\xAD");
    const auto notCp1252 = ReadSubjectContent(withChinese, texts);
    ASSERT_TRUE(std::holds_alternative<SubjectRefusal>(notCp1252));
    EXPECT_EQ(std::get<SubjectRefusal>(notCp1252).line, 5u);
}

// ------------------------------------------------------------ written back

// A comment saved by the server: an ordinary one keeps its bytes, one with
// a quote is quoted, and every line the server does not change keeps the
// quotes and padding the spreadsheet gave it.
TEST(SubjectContent, CommentIsWrittenQuotedOnlyWhereItNeedsIt) {
    const ServerTexts texts;
    const std::string saved = FileWith(3, "Kommentar;\"alt; \"\"x\"\"\";;;");
    for (const auto& [comment, line] :
         {std::pair<std::string, std::string>{"neu; zwei", "Kommentar;neu\\, zwei"},
          {"er sagte \"ja\"", "Kommentar;\"er sagte \"\"ja\"\"\""}}) {
        std::optional<SubjectTextEdit> edit = SubjectTextEdit::Open(saved, texts);
        ASSERT_TRUE(edit.has_value());
        edit->SetField(edit->Layout().commentLine, 2, EncodeComment(comment));
        const std::string written = edit->Text();
        EXPECT_NE(written.find("\n" + line + ";;;\n"), std::string::npos) << written;
        const auto read = ReadSubjectContent(written, texts);
        ASSERT_TRUE(std::holds_alternative<SubjectContent>(read));
        EXPECT_EQ(std::get<SubjectContent>(read).comment, comment);
    }
}

}  // namespace
}  // namespace quib::server
