#pragma once

#include <string>
#include <vector>

#include "app/settings.h"
#include "fakes/memory_controls.h"
#include "sync/correction_record.h"
#include "sync/locale.h"

namespace tempiko::fakes {

// The main window's settings in memory: the controls the settings file feeds, with the limits
// of the real ones, and the values that live beside them.
struct MemorySettingsWindow {
  ui::MemoryRadioGroup radio{2, 0};
  ui::MemoryComboBox entry;
  ui::MemorySpinEdit tolerance{0, 0, 10000};
  ui::MemorySpinEdit amount;
  ui::MemorySpinEdit hours;
  ui::MemorySpinEdit delay{0, 0, 999};
  ui::MemoryCheckBox relay;
  ui::MemoryComboBox servers;
  sync::CorrectionRecord record;
  std::string format;
  bool dial_check = false;
  sync::Locale locale = sync::Locale::Japanese();
  std::vector<std::string> builtin = {"ntp.builtin.example"};
  int relay_handler_runs = 0;

  app::WindowSettings Settings() {
    return {{radio, entry, tolerance, amount, hours, delay, relay, servers},
            record,
            format,
            dial_check,
            locale,
            builtin,
            [this] { ++relay_handler_runs; }};
  }
};

}  // namespace tempiko::fakes
