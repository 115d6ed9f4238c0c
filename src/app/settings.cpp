#include "app/settings.h"

#include <algorithm>

namespace tempiko::app {
namespace {

constexpr const char* kOption = "Option";
constexpr const char* kServer = "Server";

constexpr int kToleranceMax = 10000;
constexpr int kDelayMax = 999;

bool SameServerName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    return fold(x) == fold(y);
  });
}

void LoadRelayOptions(SettingsFile& file, const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  const bool was_checked = c.CheckBox1.Checked();
  c.CheckBox1.SetChecked(file.ReadBool(kOption, "Agent", false));
  if (c.CheckBox1.Checked() != was_checked && window.relay_option_handler)
    window.relay_option_handler();

  const int old_hours = c.SpinEdit3.Value();
  c.SpinEdit3.SetValue(file.ReadInteger(kOption, "Timer", 0));
  if (c.SpinEdit3.Value() != old_hours && window.relay_option_handler)
    window.relay_option_handler();
}

void LoadServerList(SettingsFile& file, const WindowSettings& window) {
  ui::TComboBox& list = window.controls.ComboBox1;
  const std::vector<std::string> stored = file.ReadSection(kServer);
  list.SetItems(stored.empty() ? window.builtin_servers : stored);

  const int index = file.ReadInteger(kOption, "Server", 0);
  const int last = static_cast<int>(list.Items().size()) - 1;
  list.SetItemIndex(index > last ? 0 : std::max(index, -1));
}

// Writes the server list: a name typed into the field and never picked goes first and is
// selected; names that differ only in case are written once. Answers the index of the
// selected entry among the names written.
int SaveServerList(SettingsFile& file, ui::TComboBox& list) {
  file.EraseSection(kServer);
  std::vector<std::string> items = list.Items();
  int selected = list.ItemIndex();
  if (selected < 0) {
    const std::string typed = list.Text();
    if (!typed.empty()) {
      items.insert(items.begin(), typed);
      list.SetItems(items);
    }
    list.SetItemIndex(0);
    selected = list.ItemIndex();
  }

  std::vector<std::string> written;
  for (const std::string& item : items) {
    file.WriteString(kServer, item, "");
    if (std::none_of(written.begin(), written.end(),
                     [&](const std::string& w) { return SameServerName(w, item); }))
      written.push_back(item);
  }
  // The file keeps one line for names equal but for case, so the index must count the lines
  // written, or the next start would select another server.
  if (selected < 0)
    return selected;
  const std::string& chosen = items[static_cast<std::size_t>(selected)];
  const auto at = std::find_if(written.begin(), written.end(),
                               [&](const std::string& w) { return SameServerName(w, chosen); });
  return static_cast<int>(at - written.begin());
}

}  // namespace

void LoadSettings(SettingsFile& file, const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  c.RadioGroup1.SetItemIndex(std::clamp(file.ReadInteger(kOption, "Start", 0), -1, 1));
  c.ComboBox2.SetText(file.ReadString(kOption, "Entry", kDefaultEntry));
  c.SpinEdit1.SetValue(std::clamp(file.ReadInteger(kOption, "HoseiGosa", 200), 0, kToleranceMax));
  c.SpinEdit2.SetValue(file.ReadInteger(kOption, "HoseiMSec", 0));
  window.record.HasLastTime = file.ValueExists(kOption, "LastTime");
  window.record.LastTime = file.ReadDateTime(kOption, "LastTime", 0, window.locale);
  LoadRelayOptions(file, window);
  c.SpinEdit4.SetValue(std::clamp(file.ReadInteger(kOption, "delay", 0), 0, kDelayMax));
  window.DialCheck = file.ReadBool(kOption, "DialCheck", true);
  LoadServerList(file, window);
  window.Format = file.ReadString(kOption, "Format", kDefaultFormat);
}

void SaveSettings(SettingsFile& file, const WindowSettings& window) {
  const SettingsControls& c = window.controls;
  file.WriteInteger(kOption, "Start", c.RadioGroup1.ItemIndex());
  file.WriteString(kOption, "Entry", c.ComboBox2.Text());
  file.WriteInteger(kOption, "HoseiGosa", c.SpinEdit1.Value());
  file.WriteInteger(kOption, "HoseiMSec", c.SpinEdit2.Value());
  // Only a changed LastTime is written, so a file without one stays without one until the
  // first clock setting.
  if (window.record.LastTime != file.ReadDateTime(kOption, "LastTime", 0, window.locale))
    file.WriteDateTime(kOption, "LastTime", window.record.LastTime, window.locale);
  file.WriteBool(kOption, "Agent", c.CheckBox1.Checked());
  file.WriteInteger(kOption, "Timer", c.SpinEdit3.Value());
  file.WriteInteger(kOption, "delay", c.SpinEdit4.Value());
  const int selected = SaveServerList(file, c.ComboBox1);
  file.WriteInteger(kOption, "Server", selected);
}

void WriteFormat(SettingsFile& file, const std::string& format) {
  file.WriteString(kOption, "Format", format);
}

int ReadStartDelay(SettingsFile& file) {
  return file.ReadInteger(kOption, "delay", 0);
}

}  // namespace tempiko::app
