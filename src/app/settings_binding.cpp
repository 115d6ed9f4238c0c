#include "app/settings_binding.h"

namespace tempiko::app {
namespace {

void RunRelayOptionHandler(const WindowSettings& window) {
  if (window.relay_option_handler)
    window.relay_option_handler();
}

void ApplyRelayOptions(const Settings& settings, const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  const bool was_checked = c.CheckBox1.Checked();
  c.CheckBox1.SetChecked(settings.relay_on);
  if (c.CheckBox1.Checked() != was_checked)
    RunRelayOptionHandler(window);

  const int old_hours = c.SpinEdit3.Value();
  c.SpinEdit3.SetValue(settings.period_hours);
  if (c.SpinEdit3.Value() != old_hours)
    RunRelayOptionHandler(window);
}

// The box shows the list the save writes: an entry picked from the list stays as it is.
void ShowSavedServers(ui::TComboBox& box, const ServerChoice& saved) {
  if (box.ItemIndex() == saved.selected)
    return;
  if (box.Items() != saved.names)
    box.SetItems(saved.names);
  box.SetItemIndex(saved.selected);
}

}  // namespace

void ApplySettings(const Settings& settings, const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  c.RadioGroup1.SetItemIndex(settings.start_option);
  c.ComboBox2.SetText(settings.dial_entry);
  c.SpinEdit1.SetValue(settings.tolerance_ms);
  c.SpinEdit2.SetValue(settings.drift_ms_per_day);
  window.record.HasLastTime = settings.has_last_time;
  window.record.LastTime = settings.last_time;
  ApplyRelayOptions(settings, window);
  c.SpinEdit4.SetValue(settings.start_delay_s);
  window.DialCheck = settings.dial_check;
  c.ComboBox1.SetItems(settings.server_list);
  c.ComboBox1.SetItemIndex(settings.server_index);
  window.Format = settings.display_format;
}

Settings CollectSettings(const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  Settings settings;
  settings.start_option = c.RadioGroup1.ItemIndex();
  settings.dial_entry = c.ComboBox2.Text();
  settings.tolerance_ms = c.SpinEdit1.Value();
  settings.drift_ms_per_day = c.SpinEdit2.Value();
  settings.last_time = window.record.LastTime;
  settings.has_last_time = window.record.HasLastTime;
  settings.relay_on = c.CheckBox1.Checked();
  settings.period_hours = c.SpinEdit3.Value();
  settings.start_delay_s = c.SpinEdit4.Value();
  settings.dial_check = window.DialCheck;
  settings.server_list = c.ComboBox1.Items();
  settings.server_index = c.ComboBox1.ItemIndex();
  if (settings.server_index < 0)
    settings.typed_server = c.ComboBox1.Text();
  settings.display_format = window.Format;
  return settings;
}

void SaveWindowSettings(SettingsFile& file, const WindowSettings& window,
                        const sync::Locale& locale) {
  SaveSettings(file, CollectSettings(window), locale, [&](const ServerChoice& saved) {
    ShowSavedServers(window.controls.ComboBox1, saved);
  });
}

}  // namespace tempiko::app
