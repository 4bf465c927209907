// quib_export_bench: quib_export's speed and memory on synthetic labs (see
// export_run.h).
//   quib_export_bench [--rounds N[,N...]] [--lab DIR] [--scratch DIR] [--keep]
//                     [--seed S] [--stages read,check,export] [--all-cores]

#include <unistd.h>

#include <climits>
#include <iostream>
#include <sstream>
#include <string>

#include "bench/export_bench/export_run.h"

namespace {

using quib::bench::BenchOptions;
using quib::bench::Stage;

std::vector<std::string> CommaList(const std::string& text) {
    std::vector<std::string> items;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        items.push_back(item);
    }
    return items;
}

bool ParseOptions(int argc, char** argv, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--keep") {
            options.keep = true;
            continue;
        }
        if (flag == "--all-cores") {
            options.oneCore = false;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        try {
            if (flag == "--rounds") {
                options.sizes.clear();
                for (const std::string& size : CommaList(value)) {
                    options.sizes.push_back(std::stoi(size));
                    if (options.sizes.back() < 1) {
                        return false;
                    }
                }
            } else if (flag == "--lab") {
                options.lab = value;
            } else if (flag == "--scratch") {
                options.scratch = value;
            } else if (flag == "--seed") {
                options.seed = static_cast<std::uint32_t>(std::stoul(value));
            } else if (flag == "--stages") {
                options.stages.clear();
                for (const std::string& name : CommaList(value)) {
                    const std::optional<Stage> stage = quib::bench::StageNamed(name);
                    if (!stage) {
                        return false;
                    }
                    options.stages.push_back(*stage);
                }
            } else {
                return false;
            }
        } catch (const std::exception&) {
            return false;
        }
    }
    return !options.sizes.empty() && !options.stages.empty();
}

std::filesystem::path Self() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::filesystem::path(std::string(path, static_cast<std::size_t>(length)))
                      : std::filesystem::path();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "--child-generate" && argc == 5) {
            return quib::bench::GenerateLabChild(argv[2], std::stoi(argv[3]),
                                                 static_cast<std::uint32_t>(std::stoul(argv[4])));
        }
        if (mode == "--child-stage" && argc == 6) {
            const std::optional<Stage> stage = quib::bench::StageNamed(argv[2]);
            if (stage) {
                return quib::bench::MeasureStageChild(*stage, argv[3], argv[4],
                                                      std::string(argv[5]) == "1");
            }
        }
    } catch (const std::exception& error) {
        std::cerr << mode << ": " << error.what() << "\n";
        return 1;
    }
    BenchOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: quib_export_bench [--rounds N[,N...]] [--lab DIR] [--scratch DIR] "
                     "[--keep] [--seed S] [--stages read,check,export] [--all-cores]\n";
        return 2;
    }
    return quib::bench::RunExportBench(options, Self());
}
