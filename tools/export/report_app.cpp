#include "tools/export/report_app.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace quib::exporter {

int RunWithGuiApplication(const std::function<int()>& body) {
    if (QCoreApplication::instance() != nullptr) {
        // Qt allows one application object; WriteReport says so if the one
        // there cannot draw text.
        return body();
    }
    char name[] = "quib_export";
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    char* argv[] = {name, platformOption, offscreen, nullptr};
    int argc = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? 3 : 1;
    QGuiApplication application(argc, argv);
    return body();
}

}  // namespace quib::exporter
