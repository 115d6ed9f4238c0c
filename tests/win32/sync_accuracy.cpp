// Measures how far from the true UTC a synchronisation run would set the clock: N runs on the
// real Win32 adapters against an NTP server that shares this machine's clock. Prints each
// run's error, and the offset the run measured (whose true value is 0) before the new time is
// rounded to the whole milliseconds SetSystemTime takes; then the median of each, in
// milliseconds. Usage: sync_accuracy SERVER [RUNS]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sync_run_rig.h"

namespace {

// The median of the magnitudes.
double MedianMagnitude(std::vector<double> values) {
  for (double& value : values)
    value = std::abs(value);
  std::sort(values.begin(), values.end());
  const std::size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: sync_accuracy SERVER [RUNS]\n", stderr);
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
  tempiko::test::SyncRunRig rig(argv[1]);
  std::vector<double> errors;
  std::vector<double> offsets;
  for (int i = 0; i < runs; ++i) {
    const bool ended = rig.RunOnce();
    const auto error = rig.clock.ErrorMs();
    if (!ended || !error) {
      std::printf("run %2d: no correction (%s)\n", i + 1, ended ? "ended" : "still running");
      continue;
    }
    errors.push_back(*error);
    offsets.push_back(rig.MeasuredOffsetMs());
    std::printf("run %2d: error %+.4f ms (offset %+.4f ms)\n", i + 1, errors.back(),
                offsets.back());
  }
  if (errors.empty())
    return 1;
  std::printf(
      "median |error| over %zu runs: %.4f ms (max %.4f ms); median |offset| %.4f ms\n",
      errors.size(), MedianMagnitude(errors),
      std::abs(*std::max_element(errors.begin(), errors.end(),
                                 [](double a, double b) { return std::abs(a) < std::abs(b); })),
      MedianMagnitude(offsets));
  return 0;
}
