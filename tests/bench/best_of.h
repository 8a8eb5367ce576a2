#pragma once
// The shortest of a few timed runs, for the native benchmarks.
#include <algorithm>
#include <chrono>

namespace bench {

template <typename Run>
double BestSeconds(int rounds, Run run) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace bench
