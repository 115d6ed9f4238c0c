#include "app/settings_binding.h"

namespace tempiko::app {
namespace {

void RunResidentOptionChanged(const WindowSettings& window) {
  if (window.resident_option_changed)
    window.resident_option_changed();
}

void ApplyResidentOptions(const Settings& settings, const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  const bool was_checked = c.relay_box.Checked();
  c.relay_box.SetChecked(settings.relay_on);
  if (c.relay_box.Checked() != was_checked)
    RunResidentOptionChanged(window);

  const int old_hours = c.period_field.Value();
  c.period_field.SetValue(settings.period_hours);
  if (c.period_field.Value() != old_hours)
    RunResidentOptionChanged(window);
}

// The box shows the list the save writes: an entry picked from the list stays as it is.
void ShowSavedServers(ui::ComboBox& box, const ServerChoice& saved) {
  if (box.ItemIndex() == saved.selected)
    return;
  if (box.Items() != saved.names)
    box.SetItems(saved.names);
  box.SetItemIndex(saved.selected);
}

}  // namespace

void ApplySettings(const Settings& settings, const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  c.start_option.SetItemIndex(settings.start_option);
  c.entry_box.SetText(settings.dial_entry);
  c.tolerance_field.SetValue(settings.tolerance_ms);
  c.drift_field.SetValue(settings.drift_ms_per_day);
  window.record.has_last_time = settings.has_last_time;
  window.record.last_time = settings.last_time;
  ApplyResidentOptions(settings, window);
  c.delay_field.SetValue(settings.start_delay_s);
  window.dial_check = settings.dial_check;
  c.server_box.SetItems(settings.server_list);
  c.server_box.SetItemIndex(settings.server_index);
  window.display_format = settings.display_format;
}

Settings CollectSettings(const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  Settings settings;
  settings.start_option = c.start_option.ItemIndex();
  settings.dial_entry = c.entry_box.Text();
  settings.tolerance_ms = c.tolerance_field.Value();
  settings.drift_ms_per_day = c.drift_field.Value();
  settings.last_time = window.record.last_time;
  settings.has_last_time = window.record.has_last_time;
  settings.relay_on = c.relay_box.Checked();
  settings.period_hours = c.period_field.Value();
  settings.start_delay_s = c.delay_field.Value();
  settings.dial_check = window.dial_check;
  settings.server_list = c.server_box.Items();
  settings.server_index = c.server_box.ItemIndex();
  if (settings.server_index < 0)
    settings.typed_server = c.server_box.Text();
  settings.display_format = window.display_format;
  return settings;
}

void SaveWindowSettings(SettingsFile& file, const WindowSettings& window,
                        const sync::Locale& locale) {
  SaveSettings(file, CollectSettings(window), locale, [&](const ServerChoice& saved) {
    ShowSavedServers(window.controls.server_box, saved);
  });
}

}  // namespace tempiko::app
