#pragma once

#include <functional>
#include <string>

#include "app/settings.h"
#include "app/settings_file.h"
#include "sync/correction_record.h"
#include "sync/locale.h"
#include "ui/controls.h"

namespace tempiko::app {

// The main window's controls that the settings feed.
struct SettingsControls {
  ui::RadioGroup& start_option;   // start-up option
  ui::ComboBox& entry_box;        // connection box
  ui::SpinEdit& tolerance_field;  // tolerance, 0 to 10000 ms
  ui::SpinEdit& drift_field;      // simple-correction amount, ms per day
  ui::SpinEdit& period_field;     // re-synchronisation period, hours
  ui::SpinEdit& delay_field;      // start-up delay, 0 to 999 s
  ui::CheckBox& relay_box;        // relay on or off
  ui::ComboBox& server_box;       // server list
};

// Everything of the main window that lives in the settings file.
struct WindowSettings {
  SettingsControls controls;
  sync::CorrectionRecord& record;  // LastTime, HasLastTime
  std::string& display_format;     // display pattern of the clock label
  bool& dial_check;                // whether the dial-up watcher may run
  // The relay option handler (OnResidentOptionChanged): applying settings runs it whenever that
  // changes relay_box's state or period_field's value, as a click or an edit would.
  std::function<void()> resident_option_changed;
};

// Puts loaded settings into the window, one control after the other in the order of the keys;
// the controls keep their own limits. The relay option handler runs right after relay_box
// changes and again right after period_field changes, so it sees the window as it is then.
void ApplySettings(const Settings& settings, const WindowSettings& window);

// The settings as the window shows them now.
Settings CollectSettings(const WindowSettings& window);

// Saves the window's settings in the close query. When the save reaches the server list, a
// name typed into the server box and never picked becomes its first entry and the selected one,
// as the next start will show it. A failed write throws tempiko::Exception.
void SaveWindowSettings(SettingsFile& file, const WindowSettings& window,
                        const sync::Locale& locale);

}  // namespace tempiko::app
