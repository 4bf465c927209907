#pragma once

#include <QCoreApplication>

#include <chrono>

#include "server/core/window/main_window.h"
#include "server/core/window/server_app.h"

namespace quib::server::testing {

// Runs the main thread's events, as the main loop would, until `done` holds
// or a few seconds have passed.
template <typename Done>
bool RunMainLoopUntil(ServerApp& app, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        app.Iterate();
    }
    return done();
}

// The experimenter's choices for a game: the first level, speed, display
// and figure entries, the first subject for seat 1 and the second for seat
// 2 (each selector lists a prompt, "new subject", then the subjects).
inline void ChooseSettingsAndSubjects(MainWindow& w) {
    for (int id : {9002, 9004, 9006, 9008, 9011}) {
        w.List(id)->setCurrentIndex(1);
    }
    w.List(8)->setCurrentIndex(2);
    w.List(4008)->setCurrentIndex(3);
    for (int id : {8, 4008}) {
        emit w.List(id)->activated(w.List(id)->currentIndex());
    }
}

}  // namespace quib::server::testing
