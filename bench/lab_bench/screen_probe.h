#pragma once

// A participant's fingers and eyes at the X server, with no tool in
// between: keys go in through the XTEST extension, as a keyboard's would,
// and a window's pixels come back with GetImage, as the X server holds them
// for the screen. Each call is one request (and for reads its reply), so the
// moment a key leaves for the X server is known to a few microseconds.
//
// One connection, used from one thread.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "common/picture.h"
#include "testing/e2e/screenshot.h"
#include "testing/e2e/x_input.h"

namespace quib::bench {

class ScreenProbe {
  public:
    using Clock = std::chrono::steady_clock;

    ScreenProbe() = default;
    ~ScreenProbe();
    ScreenProbe(const ScreenProbe&) = delete;
    ScreenProbe& operator=(const ScreenProbe&) = delete;

    // Connects to `display` and looks at `window`. False, with the reason in
    // *error, when the X server cannot be reached or lacks XTEST.
    bool Open(const std::string& display, e2e::WindowId window, std::string* error);

    // Sends the press (`down`) or release of the key named `keysym` ("Right",
    // "Left") and returns the moment just before the request was written to
    // the X server's socket. Nothing when the X server has no such key.
    std::optional<Clock::time_point> SendKey(const std::string& keysym, bool down);
    // Waits until the X server has handled every request sent so far.
    void Sync();

    // The pixels of `area` of the window (window coordinates) as the X
    // server shows them, alpha 255. False when the area lies outside the
    // window or the X server refuses.
    bool Grab(const e2e::Rect& area, RgbaImage* out);

    // Which window has the keyboard focus now.
    std::optional<e2e::WindowId> FocusedWindow();

    // The X server's side of showing a picture: the median time, over
    // `rounds`, of putting a `width` x `height` picture from shared memory
    // (as Qt's window surfaces do) into a pixmap of the window's depth and
    // waiting for the X server's answer. Nothing without MIT-SHM.
    std::optional<double> SharedPutMs(int width, int height, int rounds);
    // The median round trip of a request that does nothing, over `rounds`.
    double RoundTripMs(int rounds);

  private:
    struct Connection;
    Connection* connection_ = nullptr;
    e2e::WindowId window_ = 0;
};

// The pixels of `now` whose red, green or blue differs from `still` by more
// than `tolerance`; -1 when the two pictures differ in size.
int ChangedPixels(const RgbaImage& still, const RgbaImage& now, int tolerance);

}  // namespace quib::bench
