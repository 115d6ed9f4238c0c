#include "sync/simple_correction.h"

namespace tempiko::sync {
namespace {

constexpr double kOneMinute = 1.0 / 1440.0;
// A drift correction waits until a quarter of a day has passed since the last setting.
constexpr double kMinimumDriftInterval = 0.25;

}  // namespace

void SimpleCorrection::ZeroCorrection() {
  DateTime now = reader_.ClockNow();
  // The seconds are taken after rounding to the millisecond: 29.9996 s counts as 30.
  if (SplitDateTime(now).second >= 30)
    now += kOneMinute;
  CalendarFields minute = SplitDateTime(now);
  minute.second = 0;
  minute.millisecond = 0;
  if (SetLocalClock(minute))
    record_.has_last_time = true;
}

void SimpleCorrection::ApplySimpleCorrection(DateTime since, int milliseconds_per_day) {
  const DateTime elapsed = reader_.ClockNow() - since;
  if (elapsed < kMinimumDriftInterval)
    return;
  const double correction = milliseconds_per_day / kMillisecondsPerDay * elapsed;
  SetLocalClock(SplitDateTime(reader_.ClockNow() + correction));
}

bool SimpleCorrection::SetLocalClock(const CalendarFields& fields) {
  const int error = reader_.clock().SetLocalTime(fields);
  if (error != 0) {
    if (on_refused_)
      on_refused_(error);
    return false;
  }
  reader_.TakeBase();
  record_.last_time = reader_.ClockNow();
  return true;
}

bool RunSimpleCorrectionStart(SimpleCorrection& correction, int milliseconds_per_day,
                              const CorrectionRecord& record) {
  if (milliseconds_per_day == 0)
    return false;
  if (record.last_time != 0)
    correction.ApplySimpleCorrection(record.last_time, milliseconds_per_day);
  return true;
}

}  // namespace tempiko::sync
