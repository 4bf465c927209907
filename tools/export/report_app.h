#pragma once

// The report draws its charts' text with Qt, which needs a QGuiApplication.
// quib_export makes one only for the report, so that the tables are written
// without Qt: it calls WriteReport inside RunWithGuiApplication.

#include <functional>

namespace quib::exporter {

// Runs `body` while a QGuiApplication exists and returns what it returns:
// in the one that exists already, or in one made for the call and ended
// after it. A QGuiApplication made here draws on the offscreen platform
// (unless QT_QPA_PLATFORM names another), as the report draws nothing on a
// screen: it runs the same in a terminal without a display and over a
// remote login whose display cannot be reached (where the usual platform
// would end the program). The command line's own arguments are not handed
// to Qt, which would take some of them for itself.
int RunWithGuiApplication(const std::function<int()>& body);

}  // namespace quib::exporter
