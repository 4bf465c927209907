#include "common/drawing.h"

#include <QPoint>
#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "common/flood_fill.h"
#include "common/picture_folder.h"

namespace quib {
namespace {

using protocol::ServerMessage;
using Body = std::span<const std::uint8_t>;

// All images together may hold the four screen images and twice the largest
// image a message may make; the game itself needs a few picture fields.
constexpr std::int64_t kBudgetLargestImages = 2;

template <typename M>
std::optional<M> Decode(Body body) {
    M message{};
    if (!protocol::Parse(body, &message)) {
        return std::nullopt;
    }
    return message;
}

DrawingConfig Sanitised(DrawingConfig config) {
    config.unit = std::clamp(config.unit, 1, kMaxUnit);
    config.backBufferSide = std::clamp(config.backBufferSide, 1, kMaxImageSideUnits * config.unit);
    if (!(std::isfinite(config.pictureScale) && config.pictureScale > 0)) {
        config.pictureScale = 1.0f;
    }
    if (!config.pictures) {
        config.pictures = std::make_shared<PictureCache>();
    }
    return config;
}

std::int64_t PixelBudget(const DrawingConfig& config) {
    const std::int64_t side = config.backBufferSide;
    const std::int64_t largestSide = std::int64_t{kMaxImageSideUnits} * config.unit;
    return ImageStore::kScreenImages * side * side +
           kBudgetLargestImages * largestSide * largestSide;
}

QImage BlackImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    if (!image.isNull()) {
        image.fill(Qt::black);
    }
    return image;
}

std::optional<std::int64_t> FrameWorkLimit(std::int64_t unit, std::optional<std::int64_t> fields) {
    if (!fields) {
        return std::nullopt;
    }
    return *fields * unit * unit;
}

std::int64_t Area(QSize size) {
    return std::int64_t{size.width()} * size.height();
}

// Drawing on an image that still shares its pixels with another (a
// presented front image, an image drawn over it whole) first makes its own
// copy of them.
std::int64_t CopyWork(const QImage& target) {
    return target.isDetached() ? 0 : Area(target.size());
}

std::int64_t ClippedArea(const QImage& target, const QRect& bounds) {
    return Area(bounds.intersected(target.rect()).size());
}

// Both end points included. (QRect(from, to).normalized() would leave out
// a row and a column at each end of a line drawn up or to the left: it takes
// a rectangle of negative size to end before its corner.)
QRect LineBounds(QPoint from, QPoint to) {
    return QRect(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                 QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
}

// A one pixel line writes about as many pixels as the longer side of its
// box, as far as the box lies on the target.
std::int64_t LineLength(const QImage& target, QPoint from, QPoint to) {
    const QRect box = LineBounds(from, to).intersected(target.rect());
    return std::max(box.width(), box.height());
}

QRect EllipseBounds(QPoint centre, int radiusX, int radiusY) {
    return QRect(centre.x() - radiusX, centre.y() - radiusY, 2 * radiusX + 1, 2 * radiusY + 1);
}

QRect PointsBounds(std::span<const QPoint> points) {
    if (points.empty()) {
        return {};
    }
    QPoint low = points.front();
    QPoint high = points.front();
    for (const QPoint& point : points) {
        low = QPoint(std::min(low.x(), point.x()), std::min(low.y(), point.y()));
        high = QPoint(std::max(high.x(), point.x()), std::max(high.y(), point.y()));
    }
    return QRect(low, high);
}

bool IsKnownMode(std::int32_t mode) {
    return mode == protocol::kModeFilled || mode == protocol::kModeXor ||
           mode == protocol::kModeOutline;
}

}  // namespace

DrawingExecutor::DrawingExecutor(const DrawingConfig& config,
                                 std::optional<std::int64_t> frameWorkFields)
    : config_(Sanitised(config)),
      scale_(config_.unit),
      store_(PixelBudget(config_)),
      work_(FrameWorkLimit(config_.unit, frameWorkFields)) {
    const QSize side(config_.backBufferSide, config_.backBufferSide);
    for (const int index : {1, 3, 0, 2}) {
        store_.Put(index, BlackImage(side));
    }
}

bool DrawingExecutor::Execute(std::uint8_t type, Body body) {
    switch (static_cast<ServerMessage>(type)) {
        case ServerMessage::BeginDrawing:
            return BeginDrawing(body);
        case ServerMessage::EndDrawing:
            return EndDrawing();
        case ServerMessage::CreateImage:
            return CreateImage(body);
        case ServerMessage::LoadPicture:
            return LoadPicture(body);
        case ServerMessage::FreeImage:
            return FreeImage(body);
        case ServerMessage::DrawImage:
            return DrawImage(body);
        case ServerMessage::FrontColour:
            return SetFrontColour(body);
        case ServerMessage::BackColour:
            return SetBackColour(body);
        case ServerMessage::DrawingMode:
            return SetDrawingMode(body);
        case ServerMessage::Plot:
            return Plot(body);
        case ServerMessage::Line:
            return Line(body);
        case ServerMessage::Box:
            return Box(body);
        case ServerMessage::Circle:
            return Circle(body);
        case ServerMessage::Ellipse:
            return Ellipse(body);
        case ServerMessage::Fill:
            return Fill(body);
        case ServerMessage::Polygon:
            return Polygon(body);
        case ServerMessage::Present:
            return Present();
        default:
            return false;
    }
}

const QImage* DrawingExecutor::Image(int index) const {
    return store_.Find(index);
}

QSize DrawingExecutor::SlotSize(std::int8_t slot) const {
    const std::optional<int> index = ImageStore::IndexOfSlot(slot);
    const QImage* image = index ? store_.Find(*index) : nullptr;
    return image ? image->size() : QSize(0, 0);
}

// Opening a target, even the one already open, starts from the defaults, so
// no group of drawing messages depends on what an earlier group left set.
bool DrawingExecutor::BeginDrawing(Body body) {
    const auto message = Decode<protocol::BeginDrawing>(body);
    const std::optional<int> index =
        message ? ImageStore::IndexOfSlot(message->slot) : std::nullopt;
    if (!index) {
        return false;
    }
    state_ = DrawingState{};
    state_.target = index;
    return true;
}

bool DrawingExecutor::EndDrawing() {
    state_.target.reset();
    return true;
}

bool DrawingExecutor::CreateImage(Body body) {
    const auto message = Decode<protocol::CreateImage>(body);
    if (!message) {
        return false;
    }
    const std::optional<int> index = ImageStore::IndexOfSlot(message->slot);
    const std::optional<int> width = scale_.ImageSide(message->width);
    const std::optional<int> height = scale_.ImageSide(message->height);
    if (!index || !width || !height || !store_.Fits(*index, QSize(*width, *height)) ||
        !work_.Charge(Area(QSize(*width, *height)))) {
        return false;
    }
    QImage image = BlackImage(QSize(*width, *height));
    if (image.isNull()) {
        return false;
    }
    const QRect area = image.rect();
    store_.Put(*index, std::move(image));
    Replaced(*index);
    Touch(*index, area);
    return true;
}

// A name that could reach outside the picture folder fails before anything
// is touched; a picture that cannot be loaded empties the slot, so the slot
// never shows an older picture than the one the sender asked for.
bool DrawingExecutor::LoadPicture(Body body) {
    const auto message = Decode<protocol::LoadPicture>(body);
    if (!message) {
        return false;
    }
    const std::optional<int> index = ImageStore::IndexOfSlot(message->slot);
    const std::optional<std::filesystem::path> file =
        FolderPicturePath(config_.pictureDir, message->fileName.value);
    if (!index || !file) {
        return false;
    }
    QImage picture = config_.pictures->Picture(*file, config_.pictureScale, [&](QSize size) {
        return scale_.IsImageSize(size) && store_.Fits(*index, size) && work_.Charge(Area(size));
    });
    if (picture.isNull()) {
        if (store_.Free(*index)) {
            Replaced(*index);
        }
        missingPicture_ = message->fileName.value;
        return false;
    }
    ++picturesLoaded_;
    const QRect area = picture.rect();
    store_.Put(*index, std::move(picture));
    Replaced(*index);
    Touch(*index, area);
    return true;
}

bool DrawingExecutor::FreeImage(Body body) {
    const auto message = Decode<protocol::FreeImage>(body);
    const std::optional<int> index =
        message ? ImageStore::IndexOfSlot(message->slot) : std::nullopt;
    if (!index || !store_.Free(*index)) {
        return false;
    }
    Replaced(*index);
    return true;
}

bool DrawingExecutor::DrawImage(Body body) {
    const auto message = Decode<protocol::DrawImage>(body);
    if (!message) {
        return false;
    }
    const std::optional<int> index = ImageStore::IndexOfSlot(message->slot);
    const std::optional<QPoint> topLeft = scale_.Point(message->x, message->y);
    if (!index || !topLeft) {
        return false;
    }
    QImage* target = Target();
    const QImage* source = store_.Find(*index);
    if (target && source) {
        if (ReplacesWhole(*target, *source, *topLeft)) {
            // An opaque image drawn whole onto itself changes nothing.
            return source == target || CoverWith(*state_.target, *index);
        }
        const QRect area(*topLeft, source->size());
        // Drawing an image onto itself reads from a copy of it.
        const std::int64_t selfCopy = source == target ? Area(target->size()) : 0;
        if (!ChargeDrawing(*target, selfCopy + ClippedArea(*target, area))) {
            return false;
        }
        DrawImageOver(*target, *source, *topLeft);
        TouchTarget(area);
    }
    return true;
}

// Where the target is a copy of this very source, unchanged since, only the
// part drawn on since is copied back. Otherwise the target shares the
// source's pixels, which writes none: the drawing that next detaches it pays
// for the copy.
bool DrawingExecutor::CoverWith(int targetIndex, int sourceIndex) {
    QImage& target = *store_.Find(targetIndex);
    const QImage& source = *store_.Find(sourceIndex);
    CopyOf& copy = copyOf_[static_cast<std::size_t>(targetIndex)];
    if (copy.source == sourceIndex &&
        copy.version == versions_[static_cast<std::size_t>(sourceIndex)]) {
        const QRect differs = copy.differs;
        if (differs.isEmpty()) {
            return true;
        }
        if (!ChargeDrawing(target, Area(differs.size()))) {
            return false;
        }
        CopyImageArea(target, source, differs);
        Touch(targetIndex, differs);
        copy.differs = QRect();
        return true;
    }
    target = source;
    Replaced(targetIndex);
    Touch(targetIndex, target.rect());
    copy = CopyOf{sourceIndex, versions_[static_cast<std::size_t>(sourceIndex)], QRect()};
    return true;
}

bool DrawingExecutor::SetFrontColour(Body body) {
    const auto message = Decode<protocol::FrontColour>(body);
    if (message && state_.target) {
        state_.frontColour = message->colour;
    }
    return message.has_value();
}

bool DrawingExecutor::SetBackColour(Body body) {
    const auto message = Decode<protocol::BackColour>(body);
    if (message && state_.target) {
        state_.backColour = message->colour;
    }
    return message.has_value();
}

bool DrawingExecutor::SetDrawingMode(Body body) {
    const auto message = Decode<protocol::DrawingMode>(body);
    if (!message || !IsKnownMode(message->mode)) {
        return false;
    }
    if (state_.target) {
        state_.mode = message->mode;
    }
    return true;
}

bool DrawingExecutor::Plot(Body body) {
    const auto message = Decode<protocol::Plot>(body);
    const std::optional<QPoint> at = message ? scale_.Point(message->x, message->y) : std::nullopt;
    if (!at) {
        return false;
    }
    if (QImage* target = Target()) {
        if (!ChargeDrawing(*target, 1)) {
            return false;
        }
        DrawPlot(*target, *at, WireColour(message->colour));
        TouchTarget(QRect(*at, QSize(1, 1)));
    }
    return true;
}

bool DrawingExecutor::Line(Body body) {
    const auto message = Decode<protocol::Line>(body);
    if (!message) {
        return false;
    }
    const std::optional<QPoint> from = scale_.Point(message->x1, message->y1);
    const std::optional<QPoint> to = scale_.Point(message->x2, message->y2);
    if (!from || !to) {
        return false;
    }
    if (QImage* target = Target()) {
        if (!ChargeDrawing(*target, LineLength(*target, *from, *to))) {
            return false;
        }
        DrawLine(*target, *from, *to, WireColour(message->colour));
        TouchTarget(LineBounds(*from, *to));
    }
    return true;
}

bool DrawingExecutor::Box(Body body) {
    const auto message = Decode<protocol::Box>(body);
    if (!message) {
        return false;
    }
    const std::optional<QPoint> corner = scale_.Point(message->x, message->y);
    const std::optional<int> width = scale_.Pixels(message->width);
    const std::optional<int> height = scale_.Pixels(message->height);
    if (!corner || !width || !height) {
        return false;
    }
    if (QImage* target = Target()) {
        const QRect box = SpannedBox(*corner, *width, *height);
        if (!ChargeDrawing(*target, ClippedArea(*target, box))) {
            return false;
        }
        DrawBox(*target, box, WireColour(message->colour), Style());
        TouchTarget(box);
    }
    return true;
}

bool DrawingExecutor::Circle(Body body) {
    const auto message = Decode<protocol::Circle>(body);
    if (!message) {
        return false;
    }
    const std::optional<QPoint> centre = scale_.Point(message->x, message->y);
    const std::optional<int> radius = scale_.Pixels(message->radius);
    if (!centre || !radius) {
        return false;
    }
    if (QImage* target = Target()) {
        // A radius is a length: its sign does not matter.
        const int r = std::abs(*radius);
        const QRect bounds = EllipseBounds(*centre, r, r);
        if (!ChargeDrawing(*target, ClippedArea(*target, bounds))) {
            return false;
        }
        DrawEllipse(*target, *centre, r, r, WireColour(message->colour), Style());
        TouchTarget(bounds);
    }
    return true;
}

bool DrawingExecutor::Ellipse(Body body) {
    const auto message = Decode<protocol::Ellipse>(body);
    if (!message) {
        return false;
    }
    const std::optional<QPoint> centre = scale_.Point(message->x, message->y);
    const std::optional<int> radiusX = scale_.Pixels(message->radiusX);
    const std::optional<int> radiusY = scale_.Pixels(message->radiusY);
    if (!centre || !radiusX || !radiusY) {
        return false;
    }
    if (QImage* target = Target()) {
        const int rx = std::abs(*radiusX);
        const int ry = std::abs(*radiusY);
        const QRect bounds = EllipseBounds(*centre, rx, ry);
        if (!ChargeDrawing(*target, ClippedArea(*target, bounds))) {
            return false;
        }
        DrawEllipse(*target, *centre, rx, ry, WireColour(message->colour), Style());
        TouchTarget(bounds);
    }
    return true;
}

bool DrawingExecutor::Fill(Body body) {
    const auto message = Decode<protocol::Fill>(body);
    const std::optional<QPoint> start =
        message ? scale_.Point(message->x, message->y) : std::nullopt;
    if (!start) {
        return false;
    }
    if (QImage* target = Target()) {
        // The area a fill reaches is known only once it is filled: it is
        // charged the whole target, which is what it may reach.
        if (!ChargeDrawing(*target, Area(target->size()))) {
            return false;
        }
        std::optional<QRgb> border;
        if (message->borderColour != protocol::kNoColour) {
            border = WireColour(message->borderColour).rgb();
        }
        FloodFill(*target, *start, border, WireColour(message->colour).rgb());
        TouchTarget(target->rect());
    }
    return true;
}

// The pen and fill belong to this one polygon and the drawing mode does not
// apply: a polygon looks the same in every mode.
bool DrawingExecutor::Polygon(Body body) {
    const auto message = Decode<protocol::Polygon>(body);
    if (!message) {
        return false;
    }
    std::array<QPoint, protocol::kMaxPolygonPoints> points;
    for (std::size_t i = 0; i < message->count; ++i) {
        const std::optional<QPoint> point =
            scale_.Point(message->points[i].x, message->points[i].y);
        if (!point) {
            return false;
        }
        points[i] = *point;
    }
    if (QImage* target = Target()) {
        const std::span<const QPoint> corners(points.data(), message->count);
        const QRect bounds = PointsBounds(corners);
        if (!ChargeDrawing(*target, ClippedArea(*target, bounds))) {
            return false;
        }
        DrawPolygon(*target, corners, WireColour(message->pen), WireColour(message->brush));
        TouchTarget(bounds);
    }
    return true;
}

// Copies both back buffers onto the front images in one go, as far as
// either was drawn on since the last present: everywhere else the two are
// alike already. The open target and its state are left as they are.
bool DrawingExecutor::Present() {
    constexpr std::array<std::array<int, 2>, 2> kFrontFromBack = {{{0, 1}, {2, 3}}};
    std::array<QRect, 2> changed{};
    std::int64_t work = 0;
    for (std::size_t side = 0; side < kFrontFromBack.size(); ++side) {
        const auto [front, back] = kFrontFromBack[side];
        const QImage* frontImage = store_.Find(front);
        const QImage* backImage = store_.Find(back);
        if (frontImage == nullptr || backImage == nullptr) {
            continue;  // only when the screen images could not be made
        }
        changed[side] =
            (touched_[static_cast<std::size_t>(front)] | touched_[static_cast<std::size_t>(back)])
                .intersected(frontImage->rect());
        const QRect copied = changed[side].intersected(backImage->rect());
        if (!copied.isEmpty()) {
            work += CopyWork(*frontImage) + Area(copied.size());
        }
    }
    if (!work_.Charge(work)) {
        return false;
    }
    for (std::size_t side = 0; side < kFrontFromBack.size(); ++side) {
        const auto [front, back] = kFrontFromBack[side];
        QImage* frontImage = store_.Find(front);
        const QImage* backImage = store_.Find(back);
        if (frontImage != nullptr && backImage != nullptr) {
            CopyImageArea(*frontImage, *backImage, changed[side]);
            Touch(front, changed[side].intersected(backImage->rect()));
        }
        presented_[static_cast<std::size_t>(front)] = changed[side];
        touched_[static_cast<std::size_t>(front)] = QRect();
        touched_[static_cast<std::size_t>(back)] = QRect();
    }
    if (onPresent) {
        onPresent();
    }
    return true;
}

bool DrawingExecutor::ChargeDrawing(const QImage& target, std::int64_t written) {
    return work_.Charge(CopyWork(target) + written);
}

QRect DrawingExecutor::PresentedArea(int frontIndex) const {
    return frontIndex == 0 || frontIndex == 2 ? presented_[static_cast<std::size_t>(frontIndex)]
                                              : QRect();
}

void DrawingExecutor::Touch(int index, const QRect& area) {
    const QImage* image = store_.Find(index);
    if (image == nullptr) {
        return;
    }
    const QRect clipped = area.intersected(image->rect());
    if (clipped.isEmpty()) {
        return;
    }
    const auto i = static_cast<std::size_t>(index);
    versions_[i] = ++lastVersion_;
    copyOf_[i].differs |= clipped;
    if (ImageStore::IsScreenImage(index)) {
        touched_[i] |= clipped;
    }
}

void DrawingExecutor::Replaced(int index) {
    const auto i = static_cast<std::size_t>(index);
    versions_[i] = ++lastVersion_;
    copyOf_[i] = CopyOf{};
}

QImage* DrawingExecutor::Target() {
    return state_.target ? store_.Find(*state_.target) : nullptr;
}

ShapeStyle DrawingExecutor::Style() const {
    switch (state_.mode) {
        case protocol::kModeXor:
            return ShapeStyle::FilledXor;
        case protocol::kModeOutline:
            return ShapeStyle::Outline;
        default:
            return ShapeStyle::Filled;
    }
}

}  // namespace quib
