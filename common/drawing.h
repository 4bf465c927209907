#pragma once

// The executor of the drawing messages 200 .. 254: the one implementation of
// the drawing, used for the server's mirror of each player's screen and by
// the player program for its own screen.
//
// It holds the screen's numbered images (see image_store.h) and the drawing
// state: the open target (message 200 .. 201) with its drawing mode and its
// front and back colours.
//
// Each message notes the rectangle it touched on the four screen images; a
// present copies onto each front image only the part where it or its back
// buffer was touched since the present before, and tells which part that
// was (PresentedArea), so that whoever shows the front images need take and
// repaint only that part.
//
// Threads: one executor per screen (per seat on the server, one in the player
// program), used by one thread only, the one that receives or builds that
// screen's frames. To show the front images on another thread, copy in
// onPresent what the present changed (common/image_change.h). A present
// writes into the front images in place; a QImage copy that shares their
// pixels is detached from first, so it never changes under its reader, but
// that detaching costs a copy of the whole image at every present.

#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "common/drawing_values.h"
#include "common/image_store.h"
#include "common/picture_cache.h"
#include "common/shapes.h"
#include "common/work_budget.h"
#include "protocol/messages.h"

namespace quib {

struct DrawingConfig {
    int unit = 480;            // pixels per picture field side
    int backBufferSide = 480;  // side of the four screen images in pixels
    std::filesystem::path pictureDir;
    float pictureScale = 1.0f;  // loaded pictures are resized by this factor
    // Where loaded pictures are kept decoded; executors that draw the same
    // pictures share one. The executor makes its own when none is given.
    std::shared_ptr<PictureCache> pictures = nullptr;
};

// The frame work a player program allows: 128 picture fields. The heaviest
// frame a game sends (a round's first frame: both boards drawn, both figures
// loaded and shown, the partner's finished frame, the present) is charged
// under 15 fields even with figure pictures as large as a whole field, so a
// real frame keeps a margin of 8. A flood fill, the dearest drawing per
// pixel, costs about 10 ns a pixel: at a unit of 480 a whole budget of fills
// takes about 0.3 s, where a frame of 60 fills on the largest image took
// over half a minute.
inline constexpr std::int64_t kPlayerFrameWorkFields = 128;

class DrawingExecutor {
  public:
    // Creates the four screen images, black. Values out of range are taken
    // to the nearest sensible one: unit and side at least 1 (unit at most
    // kMaxUnit, side at most kMaxImageSideUnits units), a scale that is not a
    // positive number becomes 1.
    //
    // frameWorkFields: the most pixel work one frame may cause, in picture
    // fields (unit x unit pixels), counted from StartFrame; nullopt:
    // unbounded, for a screen that draws only frames its own program built.
    explicit DrawingExecutor(const DrawingConfig& config,
                             std::optional<std::int64_t> frameWorkFields = std::nullopt);

    // Executes one message of type 200 .. 254. False when the message fails
    // (the frame is then bad): a type the drawing does not know (any type
    // outside 200 .. 254 included), a body too short for its fields, a
    // polygon of no or more than 30 points, a coordinate that is not a finite
    // number within kMaxCoordinateUnits, an image side outside 1 ..
    // kMaxImageSideUnits units or beyond the store's pixel budget, a message
    // whose pixel work goes beyond what is left of the frame's, a slot
    // below -4, a drawing mode other than 0, 2 or 4, freeing one of the four
    // screen images, a picture name that is not a plain file name, and a
    // picture that cannot be loaded. A failed message changes nothing,
    // except that a picture that cannot be loaded leaves its slot empty.
    bool Execute(std::uint8_t type, std::span<const std::uint8_t> body);

    // Starts a frame: the frame work spent so far goes back to nothing.
    void StartFrame() {
        work_.Reset();
        picturesLoaded_ = 0;
        missingPicture_.clear();
    }
    // Pixels the messages since StartFrame were charged.
    std::int64_t FrameWork() const { return work_.spent(); }
    // The pictures (message 211) the messages since StartFrame loaded, and
    // the name of one they could not load (its file missing, unreadable or
    // too large; empty: none), so that a screen can say which figure it
    // lacks instead of quietly showing none.
    int picturesLoaded() const { return picturesLoaded_; }
    const std::string& missingPicture() const { return missingPicture_; }

    // Image by store index: 0 left front, 1 left back, 2 right front, 3 right
    // back, slot n at n + 4. nullptr when empty.
    const QImage* Image(int index) const;

    // Pixel size of the slot's image; 0 x 0 when the slot is empty or names
    // no image.
    QSize SlotSize(std::int8_t slot) const;

    // The part of front image 0 or 2 (in its pixels) that the last present
    // may have changed: the union of the rectangles the messages since the
    // present before touched on that front image and on its back buffer.
    // Outside it the front image is what it was before that present. Empty
    // before the first present and for any other index.
    QRect PresentedArea(int frontIndex) const;

    // Called at the end of message 254, after both front images are copied.
    std::function<void()> onPresent;

  private:
    struct DrawingState {
        std::optional<int> target;  // store index of the open target
        std::int32_t mode = protocol::kModeFilled;
        protocol::Colour frontColour = 0x00FFFFFF;
        protocol::Colour backColour = 0x00000000;
    };

    bool BeginDrawing(std::span<const std::uint8_t> body);
    bool EndDrawing();
    bool CreateImage(std::span<const std::uint8_t> body);
    bool LoadPicture(std::span<const std::uint8_t> body);
    bool FreeImage(std::span<const std::uint8_t> body);
    bool DrawImage(std::span<const std::uint8_t> body);
    bool SetFrontColour(std::span<const std::uint8_t> body);
    bool SetBackColour(std::span<const std::uint8_t> body);
    bool SetDrawingMode(std::span<const std::uint8_t> body);
    bool Plot(std::span<const std::uint8_t> body);
    bool Line(std::span<const std::uint8_t> body);
    bool Box(std::span<const std::uint8_t> body);
    bool Circle(std::span<const std::uint8_t> body);
    bool Ellipse(std::span<const std::uint8_t> body);
    bool Fill(std::span<const std::uint8_t> body);
    bool Polygon(std::span<const std::uint8_t> body);
    bool Present();

    // The open target's image; nullptr when none is open or its slot is empty.
    QImage* Target();
    // Notes that `area` of the image at `index` may have changed: the image
    // is in a new version, and a screen image keeps the area until the next
    // present.
    void Touch(int index, const QRect& area);
    void TouchTarget(const QRect& area) { Touch(*state_.target, area); }
    // The image at `index` was replaced or freed.
    void Replaced(int index);
    // Message 220 with an opaque image of the target's size and format at
    // (0, 0): the target becomes a copy of the source.
    bool CoverWith(int targetIndex, int sourceIndex);
    ShapeStyle Style() const;
    // Charges the frame for drawing `written` pixels on the target; false
    // when the frame's work would go beyond its limit.
    bool ChargeDrawing(const QImage& target, std::int64_t written);

    DrawingConfig config_;
    UnitScale scale_;
    ImageStore store_;
    DrawingState state_;
    WorkBudget work_;
    int picturesLoaded_ = 0;
    std::string missingPicture_;
    // Per screen image, the part changed since the last present.
    std::array<QRect, ImageStore::kScreenImages> touched_{};
    // Per front image (0 and 2), what the last present changed of it.
    std::array<QRect, ImageStore::kScreenImages> presented_{};

    // Per store index, a number that changes whenever the image does.
    std::array<std::uint64_t, ImageStore::kCapacity> versions_{};
    std::uint64_t lastVersion_ = 0;
    // What an image was last covered with whole, and where it has been
    // drawn on since. A view that each frame starts from its background
    // picture then gets back only the part the frame before drew over
    // (its figure), not a copy of the whole picture.
    struct CopyOf {
        int source = -1;            // store index; -1: not a copy
        std::uint64_t version = 0;  // the source's version it is a copy of
        QRect differs;              // where it may differ from that source
    };
    std::array<CopyOf, ImageStore::kCapacity> copyOf_{};
};

}  // namespace quib
