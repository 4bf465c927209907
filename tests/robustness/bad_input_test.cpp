// Hostile or broken input to both programs: frames that are not what the
// protocol says, settings and language files full of junk, pictures that
// are corrupt or absurdly large. Each ends in a bad-frame report or sane
// values; nothing crashes and no file of the lab is changed behind its back.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "client/client_session.h"
#include "client/client_settings.h"
#include "client/client_texts.h"
#include "common/drawing.h"
#include "protocol/frame.h"
#include "server/core/server_state.h"
#include "server/core/settings.h"
#include "server/core/texts.h"
#include "server/core/window/figure_icons.h"
#include "server/engine/engine.h"
#include "testing/scratch_directory.h"
#include "tests/protocol/frame_test_util.h"
#include "tests/support/black_png.h"
#include "tests/support/case_name.h"

namespace quib {
namespace {

using protocol::testing::Bytes;
using protocol::testing::FrameOf;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

// --- Frames -----------------------------------------------------------------

// The seed inputs of the frame fuzz target. Their first byte tells the fuzz
// target how to cut the stream into reads; the rest is the frame.
std::vector<Bytes> FrameCorpus() {
    std::vector<Bytes> frames;
    const std::filesystem::path folder =
        std::filesystem::path(QUIB_SOURCE_DIR) / "fuzz/corpus/frame_fuzz";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string bytes = ReadBytes(entry.path());
        if (!bytes.empty()) {
            frames.emplace_back(bytes.begin() + 1, bytes.end());
        }
    }
    return frames;
}

// Every seed, every cut of it, one flipped bit in each byte, and the seeds
// arriving two at a time.
std::vector<Bytes> HostileFrames() {
    const std::vector<Bytes> seeds = FrameCorpus();
    std::vector<Bytes> frames = seeds;
    for (const Bytes& seed : seeds) {
        for (std::size_t size = 0; size < seed.size(); ++size) {
            frames.emplace_back(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(size));
        }
        for (std::size_t i = 0; i < seed.size(); ++i) {
            Bytes flipped = seed;
            flipped[i] ^= static_cast<std::uint8_t>(1u << (i % 8));
            frames.push_back(std::move(flipped));
        }
        for (const Bytes& other : seeds) {
            Bytes joined = seed;
            joined.insert(joined.end(), other.begin(), other.end());
            frames.push_back(std::move(joined));
        }
    }
    return frames;
}

TEST(HostileFrames, CorpusHasSeeds) {
    EXPECT_GE(FrameCorpus().size(), 3u);
}

// The player program answers every one of them with a well-formed reply:
// a normal reply only to a frame that passes every check, else the
// bad-frame report.
TEST(HostileFrames, ThePlayerProgramAnswersEachWithAWellFormedReply) {
    ScratchDirectory pictures;
    DrawingExecutor drawing{DrawingConfig{360, 360, pictures.path(), 0.75f}};
    client::ClientSession session(drawing,
                                  [](client::TextField, protocol::Colour, std::string_view) {});
    for (const Bytes& frame : HostileFrames()) {
        const Bytes reply =
            protocol::testing::ToBytes(session.HandleFrame(frame, {"probe", false}));
        ASSERT_EQ(protocol::CheckFrame(reply), protocol::FrameCheck::Good);
        ASSERT_GE(reply.size(), protocol::kMinFrameSize);
        if (protocol::CheckFrame(frame) != protocol::FrameCheck::Good) {
            EXPECT_EQ(reply[8], 254) << "a frame failing its checks got a normal reply";
            EXPECT_EQ(reply.size(), protocol::kMinFrameSize);
        } else {
            EXPECT_TRUE(reply[8] == 30 || reply[8] == 254);
        }
    }
}

// The server takes each in as a seat's reply: a frame failing its checks
// leaves no key in the table, and nothing else happens to the seat.
TEST(HostileFrames, TheServerTakesEachInAsAReplyWithoutHarm) {
    server::ServerState state;
    server::ServerTexts texts;
    auto engine = std::make_unique<server::Engine>(state, texts);
    server::SeatLink& link = engine->links().links[1];
    for (const Bytes& frame : HostileFrames()) {
        link.receiver.Clear();
        const auto space = link.receiver.FreeSpace();
        const std::size_t n = std::min(space.size(), frame.size());
        std::copy_n(frame.begin(), n, space.begin());
        link.receiver.Received(n, 0);
        engine->links().ProcessReply(1);
        if (protocol::CheckFrame(frame) != protocol::FrameCheck::Good) {
            const auto& keys = engine->game().keyTable[1];
            EXPECT_TRUE(std::all_of(keys.begin(), keys.end(), [](int v) { return v == 0; }));
        }
        EXPECT_TRUE(std::all_of(engine->game().keyTable[0].begin(),
                                engine->game().keyTable[0].end(), [](int v) { return v == 0; }));
    }
    EXPECT_EQ(engine->links().links[1].connectionState, server::LinkFree);
}

// --- Pictures ---------------------------------------------------------------

// A PNG signature and IHDR chunk declaring `width` x `height`, RGBA, with a
// correct check value, and no image data after it.
std::string PngHeader(std::uint32_t width, std::uint32_t height) {
    auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    const std::string chunk =
        "IHDR" + be32(width) + be32(height) + std::string("\x08\x06\x00\x00\x00", 5);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size())));
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + chunk + be32(crc);
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

struct BadPicture {
    std::string name;
    std::string bytes;
};

void PrintTo(const BadPicture& p, std::ostream* os) {
    *os << p.name;
}

const BadPicture kBadPictures[] = {
    {"RandomBytes", RandomBytes(3000, 1)},
    {"SignatureOnly", std::string("\x89PNG\r\n\x1a\n", 8)},
    {"HeaderWithoutData", PngHeader(64, 64)},
    {"HugeDeclaredSize", PngHeader(1u << 30, 1u << 30)},
    // Valid and opaque, within what a screen image may hold, but larger than
    // any screen shows a figure.
    {"LargerThanAnyFigure", quib::testing::BlackPng(4096, 255)},
    {"Empty", ""},
};

class BadPictureTest : public ::testing::TestWithParam<BadPicture> {
  protected:
    void SetUp() override { WriteBytes(dir.path() / "bad.png", GetParam().bytes); }
    ScratchDirectory dir;
};

// The load-picture message naming it fails, and so the frame is answered
// with the bad-frame report.
TEST_P(BadPictureTest, FailsTheClientsFrameCleanly) {
    DrawingExecutor drawing{DrawingConfig{360, 360, dir.path(), 0.75f}};
    client::ClientSession session(drawing,
                                  [](client::TextField, protocol::Colour, std::string_view) {});
    const std::string name = "bad.png";
    Bytes messages = {211, static_cast<std::uint8_t>(3 + name.size()), 0};
    messages.insert(messages.end(), name.begin(), name.end());
    const Bytes reply = protocol::testing::ToBytes(session.HandleFrame(FrameOf(messages), {}));
    ASSERT_EQ(reply.size(), protocol::kMinFrameSize);
    EXPECT_EQ(reply[8], 254);
}

// The experimenter's figure list still offers it, with an empty icon, next
// to the good pictures.
TEST_P(BadPictureTest, StaysInTheServersFigureListWithAnEmptyIcon) {
    QImage good(20, 10, QImage::Format_ARGB32);
    good.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(good.save(QString::fromStdString((dir.path() / "good.png").string())));

    PictureCache pictures;
    const std::vector<server::FigureEntry> figures =
        server::ListFigurePictures(dir.path(), pictures);
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures[0].fileName, "bad.png");
    EXPECT_EQ(figures[1].fileName, "good.png");
    EXPECT_EQ(figures[0].icon.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(figures[0].icon.pixel(8, 8)), 0);
    EXPECT_EQ(qAlpha(figures[1].icon.pixel(8, 8)), 255);
}

INSTANTIATE_TEST_SUITE_P(, BadPictureTest, ::testing::ValuesIn(kBadPictures),
                         quib::testing::CaseName());

// --- Settings and language files -------------------------------------------

// Good lines for every group the four loaders read, after whatever junk.
const std::string kTrailer =
    "\r\n[Network]\r\nPort = 7001\r\n[Sonstiges]\r\naskOptions = 0\r\n[Text]\r\ntxt1 = Probe\r\n";

std::string ThousandsOfKeys() {
    std::string text = "[Text]\r\n";
    for (int n = 0; n < 20000; ++n) {
        text += "key" + std::to_string(n) + " = value " + std::to_string(n) + "\r\n";
    }
    return text + "txt1 = Probe\r\n[Network]\r\nPort = 7001\r\n[Sonstiges]\r\naskOptions = 0\r\n";
}

struct JunkFile {
    std::string name;
    std::string bytes;
    bool readable;  // holds the good lines of kTrailer
};

void PrintTo(const JunkFile& f, std::ostream* os) {
    *os << f.name;
}

const JunkFile kJunkFiles[] = {
    {"BinaryGarbage", RandomBytes(50000, 2) + kTrailer, true},
    {"NulBytesAndControlCharacters", std::string("\0\0\x01\x02[\0]\x7f=\0\r\r\n", 13) + kTrailer,
     true},
    {"TenMegabyteLine", std::string(10 << 20, 'x') + kTrailer, true},
    {"TenMegabyteValue", "[Other]\r\nkey = " + std::string(10 << 20, 'v') + kTrailer, true},
    {"ByteOrderMarkOnly", "\xEF\xBB\xBF", false},
    {"ByteOrderMarkThenInvalidUtf8", "\xEF\xBB\xBF\xC3\x28\xFF\xFE\r\n" + kTrailer, true},
    {"ThousandsOfKeys", ThousandsOfKeys(), true},
    {"CarriageReturnsOnly", std::string(100000, '\r'), false},
};

// Stands for the language dialog that cannot open its window: LoadSettings
// then writes nothing.
struct NoDialog : server::LanguageChooser {
    std::optional<std::size_t> Choose(const std::vector<LanguageChoice>&) override {
        ++shown;
        return std::nullopt;
    }
    int shown = 0;
};

class JunkFileTest : public ::testing::TestWithParam<JunkFile> {
  protected:
    void SetUp() override {
        for (const char* file : kFiles) {
            WriteBytes(dir.path() / file, GetParam().bytes);
        }
    }

    // None of them was rewritten, removed or added to.
    void ExpectFilesUnchanged() {
        for (const char* file : kFiles) {
            EXPECT_TRUE(ReadBytes(dir.path() / file) == GetParam().bytes) << file;
        }
    }

    static constexpr const char* kFiles[] = {"quib_client.prefs", "quib_client_de.lang",
                                             "quib_server.prefs", "quib_server_de.lang"};
    ScratchDirectory dir;
};

TEST_P(JunkFileTest, TheClientReadsWhatItCanAndWritesNothing) {
    const bool readable = GetParam().readable;
    const client::ClientSettings settings = client::LoadClientSettings(dir.path());
    EXPECT_EQ(settings.port, readable ? 7001 : 6832);
    EXPECT_EQ(settings.askOptions, readable ? 0 : 1);
    const client::ClientTexts texts = client::LoadClientTexts(dir.path(), "quib_client_de.lang");
    EXPECT_EQ(
        texts[client::txt::kProgrammedBy],
        readable ? "Probe" : std::string(client::ClientTexts::Default(client::txt::kProgrammedBy)));
    EXPECT_EQ(texts[client::txt::kFullscreenTitle],
              client::ClientTexts::Default(client::txt::kFullscreenTitle));
    ExpectFilesUnchanged();
}

TEST_P(JunkFileTest, TheServerReadsWhatItCanAndWritesNothing) {
    const bool readable = GetParam().readable;
    NoDialog dialog;
    const server::ServerSettings settings = server::LoadSettings(dir.path(), dialog);
    EXPECT_EQ(settings.askOptions, readable ? 0 : 1);
    EXPECT_EQ(dialog.shown, readable ? 0 : 1);
    EXPECT_EQ(settings.languageFile, "quib_server_de.lang");
    const server::ServerTexts texts = server::LoadTexts(dir.path(), settings.languageFile);
    EXPECT_EQ(texts[server::txt::kCannotCreateFolder],
              readable
                  ? "Probe"
                  : std::string(server::ServerTexts::Default(server::txt::kCannotCreateFolder)));
    EXPECT_EQ(texts[server::txt::kCannotStartNetwork],
              server::ServerTexts::Default(server::txt::kCannotStartNetwork));
    ExpectFilesUnchanged();
}

INSTANTIATE_TEST_SUITE_P(, JunkFileTest, ::testing::ValuesIn(kJunkFiles),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib
