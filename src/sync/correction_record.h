#pragma once

#include "sync/date_time.h"

namespace tempiko::sync {

// When the clock was last set, as the settings file keeps it. Every clock setting of the
// program (the network correction, the zero and the drift correction) renews LastTime; the
// window thread alone reads and writes it.
struct CorrectionRecord {
  DateTime last_time = 0;      // local date-time; 0: none known
  bool has_last_time = false;  // the settings held LastTime at start, or a zero correction was made
};

}  // namespace tempiko::sync
