#include "bench/lab_bench/screen_probe.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/lab_bench/lab_figures.h"

namespace quib::bench {
namespace {

// Xlib's default handler ends the program on any error reply; a grab of an
// area the window no longer covers must only fail that grab.
std::atomic<int> xErrors{0};

int NoteError(Display*, XErrorEvent*) {
    ++xErrors;
    return 0;
}

// The 8-bit channel `mask` selects in `pixel`.
std::uint8_t Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long top = mask >> shift;
    return static_cast<std::uint8_t>(top == 255 ? value : value * 255 / top);
}

}  // namespace

struct ScreenProbe::Connection {
    Display* display = nullptr;
};

ScreenProbe::~ScreenProbe() {
    if (connection_ != nullptr) {
        XCloseDisplay(connection_->display);
        delete connection_;
    }
}

bool ScreenProbe::Open(const std::string& display, e2e::WindowId window, std::string* error) {
    XSetErrorHandler(NoteError);
    Display* opened = XOpenDisplay(display.c_str());
    if (opened == nullptr) {
        *error = "cannot connect to the X server " + display;
        return false;
    }
    int event = 0, firstError = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(opened, &event, &firstError, &major, &minor)) {
        *error = "the X server " + display + " has no XTEST extension";
        XCloseDisplay(opened);
        return false;
    }
    connection_ = new Connection{opened};
    window_ = window;
    return true;
}

std::optional<ScreenProbe::Clock::time_point> ScreenProbe::SendKey(const std::string& keysym,
                                                                   bool down) {
    Display* display = connection_->display;
    const KeySym sym = XStringToKeysym(keysym.c_str());
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
    if (code == 0) {
        return std::nullopt;
    }
    // Xlib only queues the request; XFlush writes it, so the time is taken
    // between the two.
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    const Clock::time_point sent = Clock::now();
    XFlush(display);
    return sent;
}

void ScreenProbe::Sync() {
    XSync(connection_->display, False);
}

bool ScreenProbe::Grab(const e2e::Rect& area, RgbaImage* out) {
    const int errorsBefore = xErrors.load();
    XImage* image =
        XGetImage(connection_->display, window_, area.x, area.y, static_cast<unsigned>(area.width),
                  static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (image == nullptr || xErrors.load() != errorsBefore) {
        if (image != nullptr) {
            XDestroyImage(image);
        }
        return false;
    }
    out->width = area.width;
    out->height = area.height;
    out->pixels.resize(static_cast<std::size_t>(area.width) *
                       static_cast<std::size_t>(area.height) * 4);
    std::uint8_t* to = out->pixels.data();
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            *to++ = Channel(pixel, image->red_mask);
            *to++ = Channel(pixel, image->green_mask);
            *to++ = Channel(pixel, image->blue_mask);
            *to++ = 255;
        }
    }
    XDestroyImage(image);
    return true;
}

std::optional<e2e::WindowId> ScreenProbe::FocusedWindow() {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(connection_->display, &focus, &revert);
    if (focus == None || focus == PointerRoot) {
        return std::nullopt;
    }
    return focus;
}

std::optional<double> ScreenProbe::SharedPutMs(int width, int height, int rounds) {
    Display* display = connection_->display;
    if (!XShmQueryExtension(display)) {
        return std::nullopt;
    }
    const int screen = DefaultScreen(display);
    XShmSegmentInfo segment{};
    XImage* image =
        XShmCreateImage(display, DefaultVisual(display, screen),
                        static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, nullptr,
                        &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr) {
        return std::nullopt;
    }
    const std::size_t bytes =
        static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(image->height);
    segment.shmid = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    std::optional<double> median;
    if (segment.shmid >= 0) {
        segment.shmaddr = image->data = static_cast<char*>(::shmat(segment.shmid, nullptr, 0));
        segment.readOnly = False;
        const int errorsBefore = xErrors.load();
        if (segment.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display, &segment)) {
            XSync(display, False);
            // Marked for removal at once: it goes when both sides detach.
            ::shmctl(segment.shmid, IPC_RMID, nullptr);
            std::memset(image->data, 0x5A, bytes);
            const Pixmap pixmap = XCreatePixmap(
                display, window_, static_cast<unsigned>(width), static_cast<unsigned>(height),
                static_cast<unsigned>(DefaultDepth(display, screen)));
            const GC gc = XCreateGC(display, pixmap, 0, nullptr);
            std::vector<double> times;
            for (int i = 0; i < rounds; ++i) {
                const auto start = Clock::now();
                XShmPutImage(display, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), False);
                XSync(display, False);
                times.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
            XFreeGC(display, gc);
            XFreePixmap(display, pixmap);
            XShmDetach(display, &segment);
            XSync(display, False);
            if (xErrors.load() == errorsBefore) {
                median = Percentile(times, 0.5);
            }
        } else {
            ::shmctl(segment.shmid, IPC_RMID, nullptr);
        }
        if (segment.shmaddr != reinterpret_cast<char*>(-1)) {
            ::shmdt(segment.shmaddr);
        }
    }
    image->data = nullptr;
    XDestroyImage(image);
    return median;
}

double ScreenProbe::RoundTripMs(int rounds) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        XSync(connection_->display, False);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return Percentile(times, 0.5);
}

int ChangedPixels(const RgbaImage& still, const RgbaImage& now, int tolerance) {
    if (still.width != now.width || still.height != now.height ||
        still.pixels.size() != now.pixels.size()) {
        return -1;
    }
    int changed = 0;
    for (std::size_t i = 0; i + 3 < still.pixels.size(); i += 4) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (std::abs(static_cast<int>(still.pixels[i + c]) -
                         static_cast<int>(now.pixels[i + c])) > tolerance) {
                ++changed;
                break;
            }
        }
    }
    return changed;
}

}  // namespace quib::bench
