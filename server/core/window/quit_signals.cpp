#include "server/core/window/quit_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

namespace quib::server {
namespace {

constexpr std::array<int, 3> kQuitSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; -1 while no QuitSignals exists. Read by the handler.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;

extern "C" void OnQuitSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request; nothing is lost by dropping it.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kQuitSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    int ends[2] = {-1, -1};
    if (readEnd >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    notifier_ = std::make_unique<QSocketNotifier>(readEnd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
    SetHandler(OnQuitSignal);
}

QuitSignals::~QuitSignals() {
    if (!notifier_) {
        return;
    }
    SetHandler(SIG_DFL);
    notifier_.reset();
    ::close(writeEnd);
    ::close(readEnd);
    writeEnd = -1;
    readEnd = -1;
}

void QuitSignals::Drain() {
    char bytes[64];
    while (::read(readEnd, bytes, sizeof bytes) > 0) {
    }
    if (onSignal_) {
        onSignal_();
    }
}

}  // namespace quib::server
