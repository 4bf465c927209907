#pragma once

#include <QCoreApplication>

#include <chrono>

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

}  // namespace quib::server::testing
