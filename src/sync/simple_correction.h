#pragma once

#include <functional>
#include <string>

#include "sync/clock_reader.h"
#include "sync/correction_record.h"
#include "sync/date_time.h"

namespace tempiko::sync {

// The simple correction: setting the local clock without any network exchange. The zero
// correction sets it to the nearest whole minute; the drift correction moves it by a fixed
// number of milliseconds for every day since the last setting. Runs on the window thread.
// A setting the system refuses is reported with the platform's error and leaves LastTime and
// the clock-reading base as they were.
class SimpleCorrection {
 public:
  // Told the platform's error number when the system refuses a setting.
  using RefusalHandler = std::function<void(int error)>;

  SimpleCorrection(ClockReader& reader, CorrectionRecord& record, RefusalHandler on_refused)
      : reader_(reader), record_(record), on_refused_(std::move(on_refused)) {}

  // The zero correction: the clock goes to the nearest whole minute (30 seconds and more round
  // up) and that moment becomes LastTime.
  void ZeroCorrection();

  // The drift correction: `milliseconds_per_day` (HoseiMSec) for each day since `since`, in
  // proportion for part days; nothing when fewer than 6 hours have passed.
  void ApplySimpleCorrection(DateTime since, int milliseconds_per_day);

 private:
  // Sets the local clock; on success renews the base and LastTime. False when refused.
  bool SetLocalClock(const CalendarFields& fields);

  ClockReader& reader_;
  CorrectionRecord& record_;
  RefusalHandler on_refused_;
};

// The "-s" start, after the settings are loaded: with a drift rate set, the drift correction
// since LastTime (when one is known), and the window closes; with none, nothing happens.
// Answers whether the main window is to be closed.
bool RunSimpleCorrectionStart(SimpleCorrection& correction, int milliseconds_per_day,
                              const CorrectionRecord& record);

}  // namespace tempiko::sync
