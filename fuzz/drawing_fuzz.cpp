// The player program's side of one frame from a hostile server: every
// message executed on its screen with the frame work it allows, and the
// reply built. Any memory fault, undefined behaviour, a time-out (a frame
// that escapes the frame work) or a reply that fails the checks is a finding.
//
// The screen uses a unit of 32 pixels: the frame work is counted in picture
// fields, so the same messages fail at the same point as at the players'
// sizes, at a fraction of the time per input.
#include <QImage>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "client/client_session.h"
#include "common/drawing.h"
#include "fuzz/sealed_frame.h"
#include "protocol/frame.h"

namespace {

using namespace quib;

constexpr int kUnit = 32;

// A picture folder with the figure the real frames load, made at start and
// removed at exit.
class PictureFolder {
  public:
    PictureFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("quib_drawing_fuzz_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
        QImage figure(kUnit / 2, kUnit / 2, QImage::Format_ARGB32);
        figure.fill(QColor(200, 40, 160, 128));
        figure.save(QString::fromStdString((path_ / "figur0.png").string()), "PNG");
    }
    ~PictureFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const PictureFolder pictures;
    const std::vector<std::uint8_t> frame = fuzz::SealedFrame({data, size});
    if (frame.empty()) {
        return 0;
    }
    DrawingExecutor screen(DrawingConfig{kUnit, kUnit, pictures.path(), 1.0f},
                           kPlayerFrameWorkFields);
    std::size_t textBytes = 0;
    client::ClientSession session(
        screen, [&textBytes](client::TextField, protocol::Colour, std::string_view text) {
            textBytes += text.size();
        });
    const std::atomic<bool> stop{false};
    const auto reply =
        session.HandleFrame(frame, client::ReplyInputs{"fuzz", true, nullptr}, &stop);
    Check(protocol::CheckFrame(reply) == protocol::FrameCheck::Good);
    Check(screen.FrameWork() <= kPlayerFrameWorkFields * kUnit * kUnit);
    for (int index = 0; index < 4; ++index) {
        Check(screen.Image(index) != nullptr);
    }
    return 0;
}
