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
  ui::TRadioGroup& RadioGroup1;  // start-up option
  ui::TComboBox& ComboBox2;      // connection box
  ui::TSpinEdit& SpinEdit1;      // tolerance, 0 to 10000 ms
  ui::TSpinEdit& SpinEdit2;      // simple-correction amount, ms per day
  ui::TSpinEdit& SpinEdit3;      // re-synchronisation period, hours
  ui::TSpinEdit& SpinEdit4;      // start-up delay, 0 to 999 s
  ui::TCheckBox& CheckBox1;      // relay on or off
  ui::TComboBox& ComboBox1;      // server list
};

// Everything of the main window that lives in the settings file.
struct WindowSettings {
  SettingsControls controls;
  sync::CorrectionRecord& record;  // LastTime, HasLastTime
  std::string& Format;             // display pattern of the clock label
  bool& DialCheck;                 // whether the dial-up watcher may run
  // The relay option handler (CheckBox1Click): applying settings runs it whenever that changes
  // CheckBox1's state or SpinEdit3's value, as a click or an edit would.
  std::function<void()> relay_option_handler;
};

// Puts loaded settings into the window, one control after the other in the order of the keys;
// the controls keep their own limits. The relay option handler runs right after CheckBox1
// changes and again right after SpinEdit3 changes, so it sees the window as it is then.
void ApplySettings(const Settings& settings, const WindowSettings& window);

// The settings as the window shows them now.
Settings CollectSettings(const WindowSettings& window);

// Saves the window's settings in the close query. When the save reaches the server list, a
// name typed into the server box and never picked becomes its first entry and the selected one,
// as the next start will show it. A failed write throws tempiko::Exception.
void SaveWindowSettings(SettingsFile& file, const WindowSettings& window,
                        const sync::Locale& locale);

}  // namespace tempiko::app
