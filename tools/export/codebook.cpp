#include "tools/export/codebook.h"

#include "server/records/records_check.h"
#include "tools/export/tables.h"
#include "tools/export/tidy_csv_writer.h"

namespace quib::exporter {
namespace {

std::string Allowed(const Column& column) {
    if (column.name == "kind" && column.meaning.starts_with("What kind of disagreement")) {
        return ProblemKindsText();
    }
    return std::string(column.allowed);
}

// A table cell of the Markdown page: "|" would end the cell.
std::string MarkdownCell(std::string_view text) {
    std::string cell;
    for (const char c : text) {
        cell += c == '|' ? std::string("\\|") : std::string(1, c);
    }
    return cell;
}

}  // namespace

std::string ProblemKindsText() {
    std::string text;
    for (const server::ProblemKind kind : server::AllProblemKinds()) {
        text += std::string(server::ProblemKindName(kind)) + ", ";
    }
    return text + kCannotParseKind;
}

void WriteCodebookRows(TableFile& codebook) {
    for (const Table& table : Tables()) {
        if (table.file == "codebook.csv") {
            continue;
        }
        for (const Column& column : table.columns) {
            codebook.Row({std::string(table.file), std::string(column.name),
                          std::string(TypeName(column.type)), std::string(column.unit),
                          std::string(column.meaning), Allowed(column)});
        }
    }
}

std::string CodebookMarkdown() {
    std::string page =
        "# Codebook of the quib tables\n\n"
        "Written by quib_export. Every table is UTF-8 with a byte order mark, comma separated "
        "with standard quoting, and has one header row. An empty cell means that the lab's files "
        "do not tell the "
        "value. Times are local times in ISO 8601 (the files keep no time zone); `game` and "
        "`round` join the tables, `p1_subject` and `p2_subject` join `subjects.csv`, each "
        "together with `lab` when the tables of several labs are pooled.\n";
    for (const Table& table : Tables()) {
        if (table.file == "codebook.csv") {
            continue;
        }
        page += "\n## " + std::string(table.file) + "\n\n" + std::string(table.meaning) +
                "\n\n| column | type | unit | meaning | allowed values |\n|---|---|---|---|---|\n";
        for (const Column& column : table.columns) {
            page += "| `" + std::string(column.name) + "` | " + std::string(TypeName(column.type)) +
                    " | " + MarkdownCell(column.unit) + " | " + MarkdownCell(column.meaning) +
                    " | " + MarkdownCell(Allowed(column)) + " |\n";
        }
    }
    page +=
        "\n## Kinds of problem\n\nThe values of `kind` in problems.csv.\n\n| kind | meaning "
        "|\n|---|---|\n";
    for (const server::ProblemKind kind : server::AllProblemKinds()) {
        page += "| `" + std::string(server::ProblemKindName(kind)) + "` | " +
                MarkdownCell(server::ProblemKindMeaning(kind)) + " |\n";
    }
    page += "| `" + std::string(kCannotParseKind) +
            "` | a file or line quib_export cannot read (its words fit no known language, or it "
            "is not laid out as the server writes it); it is left out of the tables |\n";
    return page;
}

}  // namespace quib::exporter
