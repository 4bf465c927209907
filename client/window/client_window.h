#pragma once

// The player's window: two picture fields showing the front images, and two
// text fields below them (the left one is the status line).
//
// Threads: the window lives on the GUI thread. PostFrontChanges, PostText and
// Post may be called from any thread (the network thread): they queue the
// change to the GUI thread and never touch a widget themselves. foreground()
// is the flag the network thread reads to decide whether replies carry keys;
// the window keeps it up to date on the GUI thread.

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "client/client_session.h"
#include "client/client_settings.h"
#include "client/key_state.h"
#include "client/screen_geometry.h"
#include "client/window/picture_view.h"
#include "common/drawing.h"
#include "common/image_change.h"
#include "common/queued_calls.h"
#include "protocol/messages.h"

namespace quib::client {

class ClientWindow : public QWidget {
    Q_OBJECT

  public:
    // `keys` receives the key events and must outlive the window. `title` is
    // Windows-1252. A window that is not to open maximised gets the fixed
    // size of the screen geometry.
    ClientWindow(const ClientSettings& settings, KeyState& keys, std::string_view title,
                 QWidget* parent = nullptr);

    // GUI thread only: the whole images.
    void ShowFrontImages(const QImage& left, const QImage& right);
    // A blank and the Windows-1252 `text` in the field; its background
    // colour too unless `colour` is kNoColour.
    void ShowText(TextField field, protocol::Colour colour, std::string_view text);

    // Any thread: the changed parts of the front images, queued to the GUI
    // thread (a change without pixels leaves its picture as it is). The
    // changes are copies, so the sender may go on drawing.
    void PostFrontChanges(ImageChange left, ImageChange right);
    void PostText(TextField field, protocol::Colour colour, std::string_view text);
    // GUI thread: a warning (Windows-1252, shown as plain text) over the top
    // of the own view, where the player looks; an empty text hides it.
    void ShowWarning(std::string_view text);
    // Any thread: the same, queued to the GUI thread.
    void PostWarning(std::string_view text);
    // Any thread: `call` runs on the GUI thread, after the changes posted
    // before it.
    void Post(std::function<void()> call) { posted_.Post(std::move(call)); }

    // Whether the window is the one receiving the keyboard input.
    const std::atomic<bool>& foreground() const { return foreground_; }

    const ScreenGeometry& screenGeometry() const { return geometry_; }
    PictureView* picture(TextField side) const {
        return side == TextField::Left ? leftPicture_ : rightPicture_;
    }
    QLabel* text(TextField field) const {
        return field == TextField::Left ? leftText_ : rightText_;
    }
    QLabel* warning() const { return warning_; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void PlaceFields();
    void PlaceWarning();
    void UpdateForeground();
    void FixSizeOnceMaximised();

    int baseHight_;
    int baseFontSize_;
    // A full-screen window takes the size the window manager gives it when
    // it is maximised and keeps that: like the window of the design size it
    // cannot be resized, not even after leaving the maximised state.
    bool sizeFixedWhenMaximised_ = false;
    KeyState& keys_;
    ScreenGeometry geometry_;
    PictureView* leftPicture_;
    PictureView* rightPicture_;
    QLabel* leftText_;
    QLabel* rightText_;
    QLabel* warning_;
    std::atomic<bool> foreground_{false};
    QueuedCalls posted_;
};

// Hands the window what the presents of `drawing` changed of its two front
// images, on the thread that draws. Each present takes a copy of the part
// it changed; HandOver, called once the frame is answered, posts what the
// presents since took. The reply thus never waits for the window's wake-up,
// and a frame with several presents is handed over once.
// The window is to show the drawing's front images as they are when this
// is made; both must outlive it.
class PresentHandOver {
  public:
    PresentHandOver(DrawingExecutor& drawing, ClientWindow& window);
    ~PresentHandOver();
    PresentHandOver(const PresentHandOver&) = delete;
    PresentHandOver& operator=(const PresentHandOver&) = delete;

    void HandOver();

  private:
    void Note();

    DrawingExecutor& drawing_;
    ClientWindow& window_;
    // The sizes the window shows: a front image replaced by one of another
    // size goes over whole.
    std::array<QSize, 2> shown_;
    // Changed since the last hand-over, and a copy of that part.
    std::array<QRect, 2> pending_;
    std::array<ImageChange, 2> changes_;
};

}  // namespace quib::client
