// quib_lab_bench: the whole system's speed, processor use, memory and
// start-up on this machine, measured in one lab run (see lab_run.h).
//   quib_lab_bench [--idle S] [--play S] [--presses N] [--shots DIR]

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <string>

#include "bench/lab_bench/lab_run.h"

namespace {

bool ParseOptions(int argc, char** argv, quib::bench::LabOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        try {
            if (flag == "--idle") {
                options.idleSeconds = std::stod(value);
            } else if (flag == "--play") {
                options.playSeconds = std::stod(value);
            } else if (flag == "--presses") {
                options.presses = std::stoi(value);
            } else if (flag == "--shots") {
                options.shotDir = value;
            } else {
                return false;
            }
        } catch (const std::exception&) {
            return false;
        }
    }
    return options.idleSeconds > 0 && options.playSeconds > 0 && options.presses >= 0;
}

class LabBench : public ::testing::Test {
  public:
    LabBench(const quib::bench::LabOptions& options, quib::bench::LabFigures& figures)
        : options_(options), figures_(figures) {}
    void TestBody() override { quib::bench::MeasureLab(options_, figures_); }

  private:
    const quib::bench::LabOptions& options_;
    quib::bench::LabFigures& figures_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    quib::bench::LabOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: quib_lab_bench [--idle SECONDS] [--play SECONDS] [--presses N] "
                     "[--shots DIR]\n";
        return 2;
    }
    quib::bench::LabFigures figures;
    ::testing::RegisterTest("LabBench", "WholeSystem", nullptr, nullptr, __FILE__, __LINE__,
                            [&]() -> ::testing::Test* { return new LabBench(options, figures); });
    if (RUN_ALL_TESTS() != 0) {
        std::cerr << "quib_lab_bench: the run failed; no figures\n";
        return 1;
    }
    quib::bench::PrintFigures(figures, std::cout);
    return 0;
}
