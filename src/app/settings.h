#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "sync/correction_record.h"
#include "sync/locale.h"
#include "ui/controls.h"

namespace tempiko::app {

// The display pattern of the clock label when the settings hold none.
inline constexpr const char* kDefaultFormat = "yyyy/mm/dd AMPM hh:nn:ss";
// The connection box's text when the settings hold none: connecting through the LAN.
inline constexpr const char* kDefaultEntry = "LAN経由接続";

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
  const sync::Locale& locale;      // LastTime is stored in the regional date and time
  // The window's built-in server list, kept when the file lists no server.
  const std::vector<std::string>& builtin_servers;
  // The relay option handler (CheckBox1Click): loading runs it whenever it changes CheckBox1's
  // state or SpinEdit3's value, as a click or an edit would.
  std::function<void()> relay_option_handler;
};

// Reads every setting into the window, when the main window is created.
void LoadSettings(SettingsFile& file, const WindowSettings& window);

// Writes the settings back, in the close query. A failed write throws tempiko::Exception and
// the keys after it stay unwritten. DialCheck and Format are never written here.
void SaveSettings(SettingsFile& file, const WindowSettings& window);

// Writes the display pattern at once, when the user has confirmed a new one.
void WriteFormat(SettingsFile& file, const std::string& format);

// The start-up delay in seconds as stored (the start sequence reads it before any window
// exists; only the window keeps it within 0 to 999).
int ReadStartDelay(SettingsFile& file);

}  // namespace tempiko::app
