#pragma once

#include <cstdint>
#include <random>

namespace quib::server {

// Where the round set-up draws its random numbers from. The engine owns one;
// tests put in their own so that they know which boards and cells come out.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // Starts a fresh sequence; the set-up calls it once per round.
    virtual void Reseed(std::uint32_t seed) = 0;
    // A uniformly drawn integer from 0 to n inclusive.
    virtual int Random(int n) = 0;
};

// The generator a running server uses. Reseeded with the millisecond timer at
// every round set-up, so that two rounds never repeat each other's boards
// just because the server was restarted in between.
class TimerSeededRandom final : public RandomSource {
  public:
    void Reseed(std::uint32_t seed) override;
    int Random(int n) override;

  private:
    std::mt19937 generator_;
};

}  // namespace quib::server
