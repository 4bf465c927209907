#include "tools/export/vocabulary.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <span>
#include <system_error>
#include <utility>

#include "prefs/language_files.h"
#include "server/core/settings.h"
#include "server/core/text_ids.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
namespace txt = server::txt;

// Language keys of the words the record files use.
constexpr int kUnknownCell = 92;
constexpr int kFirstColour = 93;  // red, yellow, green, blue, none
constexpr int kFirstShape = 98;   // circle, triangle, square, pentagon
constexpr int kGameProtocol = 106;
constexpr int kReferencing = 107;
constexpr int kWon = 129;
constexpr int kRoundProtocol = 162;
constexpr int kApart = 168;
constexpr int kTouching = 169;

constexpr std::array<std::string_view, 5> kColourNames = {"red", "yellow", "green", "blue", "none"};
constexpr std::array<std::string_view, 4> kShapeNames = {"circle", "triangle", "square",
                                                         "pentagon"};
constexpr std::array<std::string_view, 4> kCellNames = {"top_left", "top_right", "bottom_left",
                                                        "bottom_right"};

struct KeyWord {
    int textKey;
    int code;
    std::string_view name;
};
constexpr std::array<KeyWord, 5> kKeyWords = {{
    {157, 32, "space"},
    {158, 37, "left"},
    {160, 38, "up"},
    {159, 39, "right"},
    {161, 40, "down"},
}};

constexpr std::string_view kLostWord = "Verloren";

// The entries of the main window's lists the game files name, with the codes
// the tables give them.
struct CodedEntry {
    int textKey;
    std::string_view code;
};
constexpr std::array<CodedEntry, 5> kSpeedEntries = {{
    {txt::kChooseSpeed, "not_chosen"},
    {txt::kSpeedSlow, "slow"},
    {txt::kSpeedMedium, "medium"},
    {txt::kSpeedFast, "fast"},
    {txt::kSpeedInstant, "instant"},
}};
// Player 1's list, then player 2's, which has "<- Selbe" where player 1's
// has its first cell choice.
constexpr std::array<CodedEntry, 6> kStartEntries1 = {{
    {txt::kPlayer1, "previous_cell"},
    {txt::kRandom, "random"},
    {txt::kTopLeft, "top_left"},
    {txt::kTopRight, "top_right"},
    {txt::kBottomLeft, "bottom_left"},
    {txt::kBottomRight, "bottom_right"},
}};
constexpr std::array<CodedEntry, 7> kStartEntries2 = {{
    {txt::kPlayer2, "previous_cell"},
    {txt::kSameAsPlayer1, "same_as_partner"},
    {txt::kRandom, "random"},
    {txt::kTopLeft, "top_left"},
    {txt::kTopRight, "top_right"},
    {txt::kBottomLeft, "bottom_left"},
    {txt::kBottomRight, "bottom_right"},
}};

std::optional<std::string> CodeOf(std::span<const CodedEntry> entries,
                                  const server::ServerTexts& texts, std::string_view word) {
    for (const CodedEntry& entry : entries) {
        if (word == texts[entry.textKey]) {
            return std::string(entry.code);
        }
    }
    return std::nullopt;
}

std::optional<long long> Digits(std::string_view text) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    long long value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// Matches a stimulus text part by part. Each part tries every word it may
// be, since a language file may give words that begin alike ("blau" and
// "blaugrün"), so the first word that fits may not be the one that lets
// the rest fit.
class StimulusMatcher {
  public:
    enum class Part { Blank, Colour, Shape, Relation, SecondColour, SecondShape };

    StimulusMatcher(const server::ServerTexts& texts, std::string_view text)
        : texts_(texts), text_(text) {}

    std::optional<Stimulus> Match(std::span<const Part> parts) {
        if (Step(parts, 0)) {
            return found_;
        }
        return std::nullopt;
    }

  private:
    bool Step(std::span<const Part> parts, std::size_t at) {
        if (parts.empty()) {
            return at == text_.size();
        }
        const std::string_view rest = text_.substr(at);
        const auto next = [&](std::size_t length) { return Step(parts.subspan(1), at + length); };
        switch (parts.front()) {
            case Part::Blank:
                return rest.starts_with(' ') && next(1);
            case Part::Colour:
                return Colour(rest, found_.colour, next);
            case Part::SecondColour:
                return Colour(rest, found_.secondColour, next);
            case Part::Shape:
                return Word(rest, kFirstShape, kShapeNames, found_.shape, next);
            case Part::SecondShape:
                return Word(rest, kFirstShape, kShapeNames, found_.secondShape, next);
            case Part::Relation: {
                constexpr std::array<std::string_view, 2> kRelations = {"apart", "touching"};
                static_assert(kTouching == kApart + 1);
                return Word(rest, kApart, kRelations, found_.relation, next);
            }
        }
        return false;
    }

    template <std::size_t N>
    bool Word(std::string_view rest, int firstKey, const std::array<std::string_view, N>& names,
              std::string& out, const std::function<bool(std::size_t)>& next) {
        for (std::size_t i = 0; i < N; ++i) {
            const std::string& word = texts_[firstKey + static_cast<int>(i)];
            if (rest.starts_with(word)) {
                out = names[i];
                if (next(word.size())) {
                    return true;
                }
            }
        }
        out.clear();
        return false;
    }

    // A colour word, or "RGB(r,g,b)" for a colour the table does not name.
    bool Colour(std::string_view rest, std::string& out,
                const std::function<bool(std::size_t)>& next) {
        if (Word(rest, kFirstColour, kColourNames, out, next)) {
            return true;
        }
        const std::size_t close = rest.find(')');
        if (!rest.starts_with("RGB(") || close == std::string_view::npos) {
            return false;
        }
        std::string_view inside = rest.substr(4, close - 4);
        std::array<long long, 3> rgb{};
        for (std::size_t i = 0; i < rgb.size(); ++i) {
            const std::size_t comma = i + 1 < rgb.size() ? inside.find(',') : inside.size();
            const std::optional<long long> value =
                comma == std::string_view::npos ? std::nullopt : Digits(inside.substr(0, comma));
            if (!value || *value > 255) {
                return false;
            }
            rgb[i] = *value;
            inside.remove_prefix(std::min(inside.size(), comma + 1));
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", static_cast<unsigned>(rgb[0]),
                      static_cast<unsigned>(rgb[1]), static_cast<unsigned>(rgb[2]));
        out = hex;
        if (next(close + 1)) {
            return true;
        }
        out.clear();
        return false;
    }

    const server::ServerTexts& texts_;
    std::string_view text_;
    Stimulus found_;
};

using Part = StimulusMatcher::Part;

// How a level writes a cell (the server's stimulus text): colour for levels
// 1 to 3, the shape from level 2, and from level 3 on, for levels 3, 5 and
// 6, the relation and the second figure (level 3 with its colour).
std::span<const Part> PartsOfLevel(int level) {
    static constexpr std::array kLevel1 = {Part::Colour};
    static constexpr std::array kLevel2 = {Part::Colour, Part::Blank, Part::Shape};
    static constexpr std::array kLevel3 = {Part::Colour,       Part::Blank,    Part::Shape,
                                           Part::Blank,        Part::Relation, Part::Blank,
                                           Part::SecondColour, Part::Blank,    Part::SecondShape};
    static constexpr std::array kLevel4 = {Part::Blank, Part::Shape};
    static constexpr std::array kLevel5 = {Part::Blank, Part::Shape, Part::Blank, Part::Relation,
                                           Part::SecondShape};
    switch (level) {
        case 1:
            return kLevel1;
        case 2:
            return kLevel2;
        case 3:
            return kLevel3;
        case 4:
            return kLevel4;
        case 5:
        case 6:
            return kLevel5;
        default:
            return {};
    }
}

std::optional<server::ServerTexts> ReadTextsFile(const fs::path& file) {
    server::ServerTexts texts;
    if (!ReadLanguageTexts(file.parent_path(), file.filename().string(), texts)) {
        return std::nullopt;
    }
    return texts;
}

}  // namespace

Vocabulary::Vocabulary(std::string name, server::ServerTexts texts)
    : name_(std::move(name)), texts_(std::move(texts)) {}

std::string Vocabulary::RoundTitle() const {
    return texts_[kRoundProtocol];
}

std::string Vocabulary::GameTitle() const {
    return texts_[kGameProtocol] + " " + texts_[kReferencing];
}

std::string Vocabulary::PositionTitle() const {
    return texts_[kGameProtocol];
}

std::optional<Stimulus> Vocabulary::ParseStimulus(std::string_view text, int level) const {
    const std::span<const Part> parts = PartsOfLevel(level);
    if (parts.empty()) {
        return std::nullopt;
    }
    return StimulusMatcher(texts_, text).Match(parts);
}

std::optional<Key> Vocabulary::ParseKey(std::string_view word) const {
    for (const KeyWord& key : kKeyWords) {
        if (word == texts_[key.textKey]) {
            return Key{key.code, std::string(key.name)};
        }
    }
    const std::optional<long long> code = Digits(word);
    if (!code || *code > 255) {
        return std::nullopt;
    }
    return Key{static_cast<int>(*code), "other"};
}

std::optional<int> Vocabulary::ParseCell(std::string_view text, int seat) const {
    if (text.size() == 1) {
        const char first = seat == 0 ? 'A' : 'a';
        if (text[0] >= first && text[0] < first + 4) {
            return text[0] - first;
        }
        return std::nullopt;
    }
    const std::string& unknown = texts_[kUnknownCell];
    if (!text.starts_with(unknown + "(") || !text.ends_with(')')) {
        return std::nullopt;
    }
    const std::string_view inside =
        text.substr(unknown.size() + 1, text.size() - unknown.size() - 2);
    const bool negative = inside.starts_with('-');
    const std::optional<long long> value = Digits(negative ? inside.substr(1) : inside);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int>(negative ? -*value : *value);
}

std::optional<bool> Vocabulary::ParseResult(std::string_view word) const {
    if (word == kLostWord) {
        return false;
    }
    if (word == texts_[kWon]) {
        return true;
    }
    return std::nullopt;
}

std::optional<std::string> Vocabulary::SpeedCode(std::string_view word) const {
    return CodeOf(kSpeedEntries, texts_, word);
}

std::optional<std::string> Vocabulary::StartChoiceCode(std::string_view word, int seat) const {
    if (seat == 0) {
        return CodeOf(kStartEntries1, texts_, word);
    }
    return CodeOf(kStartEntries2, texts_, word);
}

std::optional<Vocabularies> Vocabularies::ForLab(const fs::path& labFolder,
                                                 const std::optional<fs::path>& extra) {
    Vocabularies result;
    if (extra) {
        std::optional<server::ServerTexts> texts = ReadTextsFile(*extra);
        if (!texts) {
            return std::nullopt;
        }
        result.all_.emplace_back(extra->string(), std::move(*texts));
    }
    result.all_.emplace_back("the lab's language", server::ReadFolderTexts(labFolder));
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(labFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("quib_server_") && name.ends_with(".lang")) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        if (std::optional<server::ServerTexts> texts = ReadTextsFile(file)) {
            result.all_.emplace_back(file.filename().string(), std::move(*texts));
        }
    }
    result.all_.emplace_back("German", server::ServerTexts());
    result.all_.emplace_back("English", EnglishTexts());
    return result;
}

namespace {

const Vocabulary* FirstWith(const std::vector<Vocabulary>& all, std::string_view firstLine,
                            std::string (Vocabulary::*title)() const) {
    for (const Vocabulary& vocabulary : all) {
        if ((vocabulary.*title)() == firstLine) {
            return &vocabulary;
        }
    }
    return nullptr;
}

}  // namespace

const Vocabulary* Vocabularies::ForRoundFile(std::string_view firstLine) const {
    return FirstWith(all_, firstLine, &Vocabulary::RoundTitle);
}

const Vocabulary* Vocabularies::ForGameFile(std::string_view firstLine) const {
    return FirstWith(all_, firstLine, &Vocabulary::GameTitle);
}

const Vocabulary* Vocabularies::ForPositionFile(std::string_view firstLine) const {
    return FirstWith(all_, firstLine, &Vocabulary::PositionTitle);
}

std::span<const std::string_view> ColourNames() {
    return kColourNames;
}

std::span<const std::string_view> ShapeNames() {
    return kShapeNames;
}

std::string CellName(int cell) {
    if (cell >= 0 && cell < static_cast<int>(kCellNames.size())) {
        return std::string(kCellNames[static_cast<std::size_t>(cell)]);
    }
    return "cell_" + std::to_string(cell);
}

std::optional<std::string> DisplayName(std::string_view word) {
    if (word == "offen") {
        return "open";
    }
    if (word == "verdeckt") {
        return "covered";
    }
    return std::nullopt;
}

}  // namespace quib::exporter
