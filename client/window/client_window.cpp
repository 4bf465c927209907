#include "client/window/client_window.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPalette>
#include <QResizeEvent>
#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "common/codepage.h"
#include "common/drawing_values.h"
#include "common/plain_widgets.h"

namespace quib::client {
namespace {

QLabel* MakeField(QWidget* parent) {
    QLabel* label = MakePlainLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The labels only show; the window keeps the keyboard focus.
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QLabel* MakeTextField(QWidget* parent, int baseFontSize) {
    QLabel* label = MakeField(parent);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    label->setFont(QFont(QStringLiteral("Arial"), std::max(1, baseFontSize)));
    return label;
}

void SetGeometry(QLabel* label, const FieldRect& rect) {
    label->setGeometry(rect.x, rect.y, rect.width, rect.height);
}

// The sunken border goes around the picture, not over its edge: every pixel
// of the image lands where the server drew it.
void SetPictureGeometry(PictureView* view, const FieldRect& rect) {
    const int border = view->frameWidth();
    view->setGeometry(rect.x - border, rect.y - border, rect.width + 2 * border,
                      rect.height + 2 * border);
}

}  // namespace

ClientWindow::ClientWindow(const ClientSettings& settings, KeyState& keys, std::string_view title,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      baseHight_(std::max(1, settings.baseHight)),
      baseFontSize_(settings.baseFontSize),
      keys_(keys),
      geometry_(ComputeScreenGeometry(baseHight_, baseFontSize_, 0, 0)),
      leftPicture_(new PictureView(this)),
      rightPicture_(new PictureView(this)),
      leftText_(MakeTextField(this, baseFontSize_)),
      rightText_(MakeTextField(this, baseFontSize_)),
      warning_(MakeWarningLabel(this, QFont(QStringLiteral("Arial"), std::max(1, baseFontSize_)))) {
    setWindowTitle(QString::fromStdString(Cp1252ToUtf8(title)));
    setFocusPolicy(Qt::StrongFocus);
    if (settings.fullscreen == 1) {
        resize(geometry_.windowWidth, geometry_.windowHeight);
        sizeFixedWhenMaximised_ = true;
    } else {
        setFixedSize(geometry_.windowWidth, geometry_.windowHeight);
    }
    PlaceFields();
}

void ClientWindow::ShowFrontImages(const QImage& left, const QImage& right) {
    leftPicture_->Show(left);
    rightPicture_->Show(right);
}

void ClientWindow::ShowText(TextField field, protocol::Colour colour, std::string_view text) {
    QLabel* label = this->text(field);
    if (colour != protocol::kNoColour) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, WireColour(colour));
        label->setPalette(palette);
    }
    label->setText(QStringLiteral(" ") + QString::fromStdString(Cp1252ToUtf8(text)));
}

void ClientWindow::ShowWarning(std::string_view text) {
    warning_->setText(QString::fromStdString(Cp1252ToUtf8(text)));
    warning_->setVisible(!text.empty());
    PlaceWarning();
}

void ClientWindow::PostWarning(std::string_view text) {
    Post([this, copy = std::string(text)] { ShowWarning(copy); });
}

void ClientWindow::PostFrontChanges(ImageChange left, ImageChange right) {
    Post([this, left = std::move(left), right = std::move(right)] {
        leftPicture_->ShowChange(left);
        rightPicture_->ShowChange(right);
    });
}

void ClientWindow::PostText(TextField field, protocol::Colour colour, std::string_view text) {
    Post([this, field, colour, copy = std::string(text)] { ShowText(field, colour, copy); });
}

bool ClientWindow::event(QEvent* event) {
    // Tab would move the focus between widgets; here it is a key like any
    // other, for the server to interpret.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            if (event->type() == QEvent::KeyPress) {
                keyPressEvent(key);
            } else {
                keyReleaseEvent(key);
            }
            return true;
        }
    }
    return QWidget::event(event);
}

void ClientWindow::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        keys_.KeyDown(event->nativeScanCode(), VirtualKeyFromQt(event->key()));
    }
    event->accept();
}

void ClientWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        keys_.KeyUp(event->nativeScanCode(), VirtualKeyFromQt(event->key()));
    }
    event->accept();
}

void ClientWindow::focusOutEvent(QFocusEvent* event) {
    // Without the focus the releases no longer arrive; a key left "down"
    // would be reported for ever.
    keys_.ReleaseAll();
    QWidget::focusOutEvent(event);
}

void ClientWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        UpdateForeground();
    }
    QWidget::changeEvent(event);
}

void ClientWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Only the window system's resize carries the maximised size; show()
    // first delivers one of the size the window had.
    if (event->spontaneous()) {
        FixSizeOnceMaximised();
    }
    PlaceFields();
}

void ClientWindow::FixSizeOnceMaximised() {
    if (sizeFixedWhenMaximised_ && isMaximized()) {
        sizeFixedWhenMaximised_ = false;
        setFixedSize(size());
    }
}

void ClientWindow::PlaceFields() {
    const ScreenGeometry placed =
        ComputeScreenGeometry(baseHight_, baseFontSize_, width(), height());
    SetPictureGeometry(leftPicture_, placed.leftPicture);
    SetPictureGeometry(rightPicture_, placed.rightPicture);
    SetGeometry(leftText_, placed.leftText);
    SetGeometry(rightText_, placed.rightText);
    PlaceWarning();
}

// Across the top of the own view, as tall as its text needs.
void ClientWindow::PlaceWarning() {
    if (warning_->isHidden()) {
        return;
    }
    const FieldRect own =
        ComputeScreenGeometry(baseHight_, baseFontSize_, width(), height()).leftPicture;
    warning_->setGeometry(own.x, own.y, own.width,
                          std::min(own.height, warning_->heightForWidth(own.width)));
    warning_->raise();
}

PresentHandOver::PresentHandOver(DrawingExecutor& drawing, ClientWindow& window)
    : drawing_(drawing),
      window_(window),
      shown_{drawing.Image(0)->size(), drawing.Image(2)->size()} {
    drawing_.onPresent = [this] { Note(); };
}

PresentHandOver::~PresentHandOver() {
    drawing_.onPresent = nullptr;
}

// The copies are taken at the present, so the window gets the front images
// as presented; a second present in the same frame takes the union again.
void PresentHandOver::Note() {
    for (std::size_t side = 0; side < pending_.size(); ++side) {
        const QImage& image = *drawing_.Image(static_cast<int>(2 * side));
        const QRect area = image.size() == shown_[side]
                               ? drawing_.PresentedArea(static_cast<int>(2 * side))
                               : image.rect();
        shown_[side] = image.size();
        if (!area.isEmpty()) {
            pending_[side] |= area;
            changes_[side] = TakeChange(image, pending_[side]);
        }
    }
}

void PresentHandOver::HandOver() {
    if (pending_[0].isEmpty() && pending_[1].isEmpty()) {
        return;
    }
    for (std::size_t side = 0; side < pending_.size(); ++side) {
        if (pending_[side].isEmpty()) {  // nothing of this side: no pixels, its size
            changes_[side] = TakeChange(*drawing_.Image(static_cast<int>(2 * side)), QRect());
        }
    }
    window_.PostFrontChanges(std::move(changes_[0]), std::move(changes_[1]));
    changes_ = {};
    pending_ = {};
}

void ClientWindow::UpdateForeground() {
    const bool active = isActiveWindow();
    foreground_.store(active);
    if (!active) {
        keys_.ReleaseAll();
    }
}

}  // namespace quib::client
