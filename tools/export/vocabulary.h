#pragma once

// The words of a lab's record files. The round, game and position files
// take most of their words from the server's language file, so a folder may
// hold files in German, in English or in a lab's own translation. A file is
// read with the language whose title its first line carries; the words are
// then turned into fixed English names that do not depend on it.

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/texts.h"

namespace quib::exporter {

// The parts of the figure pair one cell shows; empty where the level has
// none.
struct Stimulus {
    std::string colour;    // "red", ..., "none", or "#rrggbb"
    std::string shape;     // "circle", "triangle", "square", "pentagon"
    std::string relation;  // "apart", "touching"
    std::string secondColour;
    std::string secondShape;

    bool operator==(const Stimulus&) const = default;
};

struct Key {
    int code = 0;      // Windows virtual-key code
    std::string name;  // "space", "left", "up", "right", "down", "other"
};

// One language the files may be written in.
class Vocabulary {
  public:
    Vocabulary(std::string name, server::ServerTexts texts);

    const std::string& name() const { return name_; }
    const server::ServerTexts& texts() const { return texts_; }

    // The first lines of the three kinds of record file.
    std::string RoundTitle() const;
    std::string GameTitle() const;
    std::string PositionTitle() const;

    // Nothing when the text is no such word of this language.
    std::optional<Stimulus> ParseStimulus(std::string_view text, int level) const;
    std::optional<Key> ParseKey(std::string_view word) const;
    // A seat's cell letter: 0 to 3 for the board's cells, the index the
    // server wrote for an unknown cell.
    std::optional<int> ParseCell(std::string_view text, int seat) const;
    // The won word of the round file's result line; the lost word is fixed.
    std::optional<bool> ParseResult(std::string_view word) const;
    // The speed list's entry as a fixed code: "slow", "medium", "fast",
    // "instant", or "not_chosen" for the list's prompt.
    std::optional<std::string> SpeedCode(std::string_view word) const;
    // An entry of a seat's start list (seat 0 or 1) as a fixed code:
    // "random", a cell's name, "same_as_partner" (player 2's "<- Selbe"), or
    // "previous_cell" for the list's prompt, which leaves the figure where it
    // stood.
    std::optional<std::string> StartChoiceCode(std::string_view word, int seat) const;

  private:
    std::string name_;
    server::ServerTexts texts_;
};

// The languages a lab's files may be in: a language file given by the user,
// the language files in the lab folder, the built-in German and English
// texts.
class Vocabularies {
  public:
    // `extra` is read first; nothing when it cannot be read.
    static std::optional<Vocabularies> ForLab(const std::filesystem::path& labFolder,
                                              const std::optional<std::filesystem::path>& extra);

    // The language whose title `firstLine` is; nullptr for none.
    const Vocabulary* ForRoundFile(std::string_view firstLine) const;
    const Vocabulary* ForGameFile(std::string_view firstLine) const;
    const Vocabulary* ForPositionFile(std::string_view firstLine) const;

    // The texts subject files are read with (their labels are found in any
    // of the known languages).
    const server::ServerTexts& SubjectTexts() const { return all_.front().texts(); }

    const std::vector<Vocabulary>& all() const { return all_; }

  private:
    std::vector<Vocabulary> all_;  // never empty
};

// The English names of the server's colours ("red", "yellow", "green",
// "blue", "none") and shapes ("circle", "triangle", "square", "pentagon"),
// by the server's index.
std::span<const std::string_view> ColourNames();
std::span<const std::string_view> ShapeNames();

// "top_left", "top_right", "bottom_left", "bottom_right"; "cell_" + index
// for another index.
std::string CellName(int cell);

// The English name of the display word: "open" or "covered"; nothing for
// another word.
std::optional<std::string> DisplayName(std::string_view word);

// The built-in English texts (lang/quib_server_en.lang, as shipped).
server::ServerTexts EnglishTexts();

}  // namespace quib::exporter
