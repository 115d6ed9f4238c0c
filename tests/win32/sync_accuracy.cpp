// Measures how far from the true UTC a synchronisation run would set the clock: N runs on the
// real Win32 adapters against an NTP server that shares this machine's clock. Prints each
// error and the median in milliseconds. Usage: sync_accuracy SERVER [RUNS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sync_run_rig.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: sync_accuracy SERVER [RUNS]\n", stderr);
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
  tempiko::test::SyncRunRig rig(argv[1]);
  std::vector<double> errors;
  for (int i = 0; i < runs; ++i) {
    const bool ended = rig.RunOnce();
    const auto error = rig.clock.ErrorMs();
    if (!ended || !error) {
      std::printf("run %2d: no correction (%s)\n", i + 1, ended ? "ended" : "still running");
      continue;
    }
    errors.push_back(std::abs(*error));
    std::printf("run %2d: error %+.4f ms\n", i + 1, *error);
  }
  if (errors.empty())
    return 1;
  std::sort(errors.begin(), errors.end());
  const double median = errors.size() % 2
                            ? errors[errors.size() / 2]
                            : (errors[errors.size() / 2 - 1] + errors[errors.size() / 2]) / 2;
  std::printf("median |error| over %zu runs: %.4f ms (max %.4f ms)\n", errors.size(), median,
              errors.back());
  return 0;
}
