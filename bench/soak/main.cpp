// quib_soak: two bots play a long session against the real server; then the
// records and the server's memory are checked (see soak_run.h).
//   quib_soak [--rounds N] [--games G] [--pace MS] [--moves M] [--keep DIR]

#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "bench/soak/soak_run.h"

namespace {

bool ParseOptions(int argc, char** argv, quib::bench::SoakOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        try {
            if (flag == "--rounds") {
                options.rounds = std::stoi(value);
            } else if (flag == "--games") {
                options.games = std::stoi(value);
            } else if (flag == "--pace") {
                options.paceMs = std::stoi(value);
            } else if (flag == "--moves") {
                options.moves = std::stoi(value);
            } else if (flag == "--keep") {
                options.keepDir = value;
            } else {
                return false;
            }
        } catch (const std::exception&) {
            return false;
        }
    }
    return options.rounds > 0 && options.games > 0 && options.games <= options.rounds &&
           options.paceMs >= 0 && options.moves >= 0;
}

class SoakTest : public ::testing::Test {
  public:
    explicit SoakTest(const quib::bench::SoakOptions& options) : options_(options) {}
    void TestBody() override { quib::bench::RunSoak(options_); }

  private:
    const quib::bench::SoakOptions& options_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    quib::bench::SoakOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: quib_soak [--rounds N] [--games G] [--pace MS] [--moves M] "
                     "[--keep DIR]\n";
        return 2;
    }
    ::testing::RegisterTest("Soak", "TwoBotsPlayALongSession", nullptr, nullptr, __FILE__, __LINE__,
                            [&]() -> ::testing::Test* { return new SoakTest(options); });
    return RUN_ALL_TESTS();
}
