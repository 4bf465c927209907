#include "server/game/random_source.h"

namespace quib::server {

void TimerSeededRandom::Reseed(std::uint32_t seed) {
    generator_.seed(seed);
}

int TimerSeededRandom::Random(int n) {
    if (n <= 0) {
        return 0;
    }
    return std::uniform_int_distribution<int>(0, n)(generator_);
}

}  // namespace quib::server
