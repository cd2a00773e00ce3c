#pragma once

#include <functional>

// A uniform fraction in [0, 1) from a generator seeded once from the clock.
std::function<double()> makeClockSeededRandom();
