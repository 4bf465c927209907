#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "tools/export/export_command.h"
#include "tools/export/lab_export.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    quib::exporter::CommandLine line;
    std::string error;
    if (!quib::exporter::ParseCommandLine(arguments, line, error)) {
        std::cerr << "quib_export: " << error << "\n" << quib::exporter::Usage();
        return quib::exporter::kExportUsage;
    }
    if (line.help) {
        std::cout << quib::exporter::Usage();
        return quib::exporter::kExportClean;
    }
    if (line.version) {
        std::cout << quib::VersionLine("quib_export") << "\n";
        return quib::exporter::kExportClean;
    }
    return quib::exporter::RunExportCommand(line, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
