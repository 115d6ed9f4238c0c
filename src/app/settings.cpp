#include "app/settings.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>

namespace tempiko::app {
namespace {

template <class... Visitors>
struct Overloaded : Visitors... {
  using Visitors::operator()...;
};
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

constexpr const SettingsKey& KeyNamed(std::string_view name) {
  for (const SettingsKey& key : kSettingsKeys) {
    if (key.name == name)
      return key;
  }
  throw "no such key";  // a compile-time error where the key is looked up
}

constexpr const SettingsKey& kFormatKey = KeyNamed("Format");
constexpr const SettingsKey& kDelayKey = KeyNamed("delay");

void LoadKey(SettingsFile& file, const SettingsKey& key, const sync::Locale& locale,
             const std::vector<std::string>& builtin_servers, Settings& settings) {
  const char* section = key.section;
  const char* name = key.name;
  std::visit(Overloaded{
                 [&](const IntegerKey& k) {
                   const int stored = file.ReadInteger(section, name, k.default_value);
                   settings.*k.field = std::clamp(stored, k.min, k.max);
                 },
                 [&](const BooleanKey& k) {
                   settings.*k.field = file.ReadBool(section, name, k.default_value);
                 },
                 [&](const TextKey& k) {
                   settings.*k.field = file.ReadString(section, name, k.default_value);
                 },
                 [&](const DateTimeKey& k) {
                   settings.*k.stored = file.ValueExists(section, name);
                   settings.*k.field = file.ReadDateTime(section, name, 0, locale);
                 },
                 [&](const KeyListKey& k) {
                   std::vector<std::string> names = file.ReadSection(section);
                   settings.*k.field = names.empty() ? builtin_servers : std::move(names);
                 },
             },
             key.encoding);
}

bool SameField(const SettingsKey& key, const Settings& a, const Settings& b) {
  return std::visit([&](const auto& k) { return a.*k.field == b.*k.field; }, key.encoding);
}

// What the file holds under the key now, compared with the value to write.
bool StoredEquals(SettingsFile& file, const SettingsKey& key, const sync::Locale& locale,
                  const Settings& settings) {
  Settings stored;
  LoadKey(file, key, locale, {}, stored);
  return SameField(key, stored, settings);
}

struct SaveContext {
  const sync::Locale& locale;
  const ServerChoice& servers;
  const ServerListSaving& on_server_list;
};

void SaveKey(SettingsFile& file, const SettingsKey& key, const Settings& settings,
             const SaveContext& context) {
  const char* section = key.section;
  const char* name = key.name;
  std::visit(Overloaded{
                 [&](const IntegerKey& k) { file.WriteInteger(section, name, settings.*k.field); },
                 [&](const BooleanKey& k) { file.WriteBool(section, name, settings.*k.field); },
                 [&](const TextKey& k) { file.WriteString(section, name, settings.*k.field); },
                 [&](const DateTimeKey& k) {
                   file.WriteDateTime(section, name, settings.*k.field, context.locale);
                 },
                 [&](const KeyListKey& k) {
                   // The section is rewritten whole, in list order.
                   file.EraseSection(section);
                   if (context.on_server_list)
                     context.on_server_list(context.servers);
                   for (const std::string& entry : settings.*k.field)
                     file.WriteString(section, entry, "");
                 },
             },
             key.encoding);
}

bool WrittenAtClose(SettingsFile& file, const SettingsKey& key, const sync::Locale& locale,
                    const Settings& settings) {
  switch (key.written) {
    case Written::kAtClose:
      return true;
    case Written::kAtCloseWhenChanged:
      return !StoredEquals(file, key, locale, settings);
    case Written::kByHandOnly:
    case Written::kAtOnce:
      return false;
  }
  return false;
}

// An index past the end of the list selects the first entry.
int SelectableIndex(int index, std::size_t entries) {
  if (index < static_cast<int>(entries))
    return index;
  return entries == 0 ? -1 : 0;
}

// The file keeps one line for names equal but for case, so the stored index must count the
// lines before the chosen name's, or the next start would select another server.
int LineOfSelected(SettingsFile& file, const ServerChoice& servers) {
  if (servers.selected < 0)
    return servers.selected;
  const std::string chosen = file.KeyOf(servers.names[static_cast<std::size_t>(servers.selected)]);
  std::unordered_set<std::string> written;
  int line = 0;
  for (const std::string& name : servers.names) {
    std::string key = file.KeyOf(name);
    if (key == chosen)
      break;  // the first line of the chosen name
    if (written.insert(std::move(key)).second)
      ++line;
  }
  return line;
}

}  // namespace

Settings LoadSettings(SettingsFile& file, const sync::Locale& locale,
                      const std::vector<std::string>& builtin_servers) {
  Settings settings;
  for (const SettingsKey& key : kSettingsKeys)
    LoadKey(file, key, locale, builtin_servers, settings);
  settings.server_index = SelectableIndex(settings.server_index, settings.server_list.size());
  return settings;
}

ServerChoice ServersToSave(const Settings& settings) {
  ServerChoice choice{settings.server_list, settings.server_index};
  if (choice.selected >= 0 && choice.selected < static_cast<int>(choice.names.size()))
    return choice;
  if (!settings.typed_server.empty())
    choice.names.insert(choice.names.begin(), settings.typed_server);
  choice.selected = choice.names.empty() ? -1 : 0;
  return choice;
}

void SaveSettings(SettingsFile& file, const Settings& settings, const sync::Locale& locale,
                  const ServerListSaving& on_server_list) {
  const ServerChoice servers = ServersToSave(settings);
  Settings saved = settings;
  saved.server_list = servers.names;
  saved.server_index = LineOfSelected(file, servers);
  const SaveContext context{locale, servers, on_server_list};
  for (const SettingsKey& key : kSettingsKeys) {
    if (WrittenAtClose(file, key, locale, saved))
      SaveKey(file, key, saved, context);
  }
}

void WriteFormat(SettingsFile& file, const std::string& format) {
  file.WriteString(kFormatKey.section, kFormatKey.name, format);
}

int ReadStartDelay(SettingsFile& file) {
  // As stored: the range of the key is the options page's.
  return file.ReadInteger(kDelayKey.section, kDelayKey.name,
                          std::get<IntegerKey>(kDelayKey.encoding).default_value);
}

}  // namespace tempiko::app
