#include "tools/figure_pictures/figure_shapes.h"

#include <QPointF>
#include <QRectF>

#include <cmath>
#include <numbers>

namespace quib::tools {
namespace {

// A chess pawn: round head, collar, flared body on a broad foot. The parts
// are united into one silhouette so the outline runs only around the whole.
QPainterPath PawnBody() {
    QPainterPath head;
    head.addEllipse(QPointF(50, 22), 14, 14);
    QPainterPath collar;
    collar.addRoundedRect(QRectF(32, 36, 36, 8), 3, 3);
    QPainterPath trunk;
    trunk.moveTo(41, 42);
    trunk.cubicTo(41, 58, 35, 69, 29, 80);
    trunk.lineTo(71, 80);
    trunk.cubicTo(65, 69, 59, 58, 59, 42);
    trunk.closeSubpath();
    QPainterPath foot;
    foot.addRoundedRect(QRectF(19, 77, 62, 15), 5, 5);
    return head.united(collar).united(trunk).united(foot).simplified();
}

// A five-pointed star with slender points, so that it cannot pass for the
// board's pentagon.
QPainterPath StarBody() {
    constexpr int kPoints = 5;
    constexpr double kOuter = 45.0;
    constexpr double kInner = 19.0;
    const QPointF centre(50, 53);
    QPainterPath star;
    for (int i = 0; i < 2 * kPoints; ++i) {
        const double radius = (i % 2 == 0) ? kOuter : kInner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / kPoints;
        const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        if (i == 0) {
            star.moveTo(point);
        } else {
            star.lineTo(point);
        }
    }
    star.closeSubpath();
    return star;
}

QPainterPath HeartBody() {
    QPainterPath heart;
    heart.moveTo(50, 90);
    heart.cubicTo(16, 64, 5, 44, 9, 29);
    heart.cubicTo(13, 12, 38, 7, 50, 26);
    heart.cubicTo(62, 7, 87, 12, 91, 29);
    heart.cubicTo(95, 44, 84, 64, 50, 90);
    heart.closeSubpath();
    return heart;
}

// The face is round, but its eyes and smile make it a face at any size; a
// plain circle on the board never carries marks.
QPainterPath FaceBody() {
    QPainterPath face;
    face.addEllipse(QPointF(50, 51), 41, 41);
    return face;
}

QPainterPath FaceEyes() {
    QPainterPath eyes;
    eyes.addEllipse(QPointF(36, 40), 5.5, 8);
    eyes.addEllipse(QPointF(64, 40), 5.5, 8);
    return eyes;
}

QPainterPath FaceSmile() {
    QPainterPath smile;
    smile.moveTo(28, 59);
    smile.quadTo(50, 84, 72, 59);
    return smile;
}

}  // namespace

std::vector<FigureDesign> FigureDesigns() {
    return {
        {"bauer", QColor(110, 40, 170), PawnBody(), {}, {}},
        {"stern", QColor(255, 140, 0), StarBody(), {}, {}},
        {"herz", QColor(215, 20, 60), HeartBody(), {}, {}},
        {"gesicht", QColor(0, 150, 140), FaceBody(), FaceEyes(), FaceSmile()},
    };
}

}  // namespace quib::tools
