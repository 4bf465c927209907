#pragma once

#include <QApplication>
#include <QByteArray>

#include <chrono>

namespace quib::testing {

// The one QApplication of a window test program, created on first use and
// kept until the program ends (the tests run with gtest_main, which knows
// nothing of Qt). Without a platform chosen, the tests draw off screen, so
// that no person and no display are needed.
inline QApplication& EnsureApplication() {
    static int argc = 1;
    static char name[] = "quib_window_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        }
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Runs the GUI thread's events, as the program's event loop would, until
// `done` holds or `deadline` has passed; whether it holds.
template <typename Done>
bool ProcessEventsUntil(Done done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

}  // namespace quib::testing

// Fontconfig loses a few bytes while it parses its configuration the first
// time Qt draws text (FcInitLoadConfigAndFonts); nothing of ours leaks there.
// LeakSanitizer reads this hook in the test program; `used` keeps the one
// weak copy the linker folds the copies of every including file into.
extern "C" __attribute__((used)) inline const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
