#include "platform/desktop/clock_seeded_random.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <random>

std::function<double()> makeClockSeededRandom() {
    auto seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    auto engine = std::make_shared<std::mt19937_64>(seed);
    // 53 random bits scaled down: never reaches 1.0, unlike some
    // uniform_real_distribution implementations.
    return [engine] { return static_cast<double>((*engine)() >> 11) * 0x1.0p-53; };
}
