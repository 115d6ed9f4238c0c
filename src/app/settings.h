#pragma once

#include <array>
#include <climits>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/settings_file.h"
#include "sync/date_time.h"
#include "sync/locale.h"

namespace tempiko::app {

// The display pattern of the clock label when the settings hold none.
inline constexpr const char* kDefaultFormat = "yyyy/mm/dd AMPM hh:nn:ss";
// The connection box's text when the settings hold none: connecting through the LAN.
inline constexpr const char* kDefaultEntry = "LAN経由接続";

// Every setting the settings file keeps, by the role it plays. LoadSettings gives each field
// its default when the file holds none; a value made here starts at zero, false and empty.
struct Settings {
  // The start-up option: 0 network run, 1 simple correction, -1 none chosen.
  int start_option = 0;
  std::string dial_entry;                // the connection box: a dial-up entry, or the LAN
  int tolerance_ms = 0;                  // offsets within this are not corrected
  int drift_ms_per_day = 0;              // the simple correction's amount
  sync::DateTime last_time = 0;          // local date-time of the last clock setting; 0: none
  bool has_last_time = false;            // the file held LastTime when loaded
  bool relay_on = false;                 // answer the LAN's time requests
  int period_hours = 0;                  // re-synchronise every so many hours; 0 or less: never
  int start_delay_s = 0;                 // wait before an unattended start
  bool dial_check = false;               // the dial-up watcher may run
  std::vector<std::string> server_list;  // the server box's entries
  int server_index = 0;                  // the selected entry; -1: none
  // A name typed into the server box and never picked from the list (only with no entry
  // selected): the save puts it first.
  std::string typed_server;
  std::string display_format;  // the clock label's pattern

  bool operator==(const Settings&) const = default;
};

// --- The keys of the file ---

// How a key's value is stored, and the field it feeds.
struct IntegerKey {  // signed decimal; read also as hexadecimal after "0x"
  int Settings::*field;
  int default_value;
  int min = INT_MIN;  // a stored value outside the range is brought into it
  int max = INT_MAX;
};
struct BooleanKey {  // "1" or "0"; read as an integer, any non-zero number is true
  bool Settings::*field;
  bool default_value;
};
struct TextKey {  // as it is, through a buffer of 2 048 characters
  std::string Settings::*field;
  const char* default_value;
};
struct DateTimeKey {  // the regional short date and long time; default 0
  sync::DateTime Settings::*field;
  bool Settings::*stored;  // whether the key exists
};
struct KeyListKey {  // the key names of a whole section; default the built-in server list
  std::vector<std::string> Settings::*field;
};
using KeyEncoding = std::variant<IntegerKey, BooleanKey, TextKey, DateTimeKey, KeyListKey>;

enum class Written {
  kAtClose,
  kAtCloseWhenChanged,  // only when it differs from the value the file holds
  kByHandOnly,          // the program never writes it
  kAtOnce,              // when the user changes it, not at the close
};

struct SettingsKey {
  const char* section;
  const char* name;  // "" for a key list: the section's names are the values
  KeyEncoding encoding;
  Written written;
};

// The keys in the order of loading. The close writes them in the same order (those it writes):
// so a file written from scratch holds section Option with Start, Entry, HoseiGosa,
// HoseiMSec, LastTime, Agent, Timer, delay and Server, and then section Server.
inline constexpr std::array<SettingsKey, 12> kSettingsKeys = {{
    {"Option", "Start", IntegerKey{&Settings::start_option, 0, -1, 1}, Written::kAtClose},
    {"Option", "Entry", TextKey{&Settings::dial_entry, kDefaultEntry}, Written::kAtClose},
    {"Option", "HoseiGosa", IntegerKey{&Settings::tolerance_ms, 200, 0, 10000}, Written::kAtClose},
    {"Option", "HoseiMSec", IntegerKey{&Settings::drift_ms_per_day, 0}, Written::kAtClose},
    {"Option", "LastTime", DateTimeKey{&Settings::last_time, &Settings::has_last_time},
     Written::kAtCloseWhenChanged},
    {"Option", "Agent", BooleanKey{&Settings::relay_on, false}, Written::kAtClose},
    {"Option", "Timer", IntegerKey{&Settings::period_hours, 0}, Written::kAtClose},
    {"Option", "delay", IntegerKey{&Settings::start_delay_s, 0, 0, 999}, Written::kAtClose},
    {"Option", "DialCheck", BooleanKey{&Settings::dial_check, true}, Written::kByHandOnly},
    {"Server", "", KeyListKey{&Settings::server_list}, Written::kAtClose},
    // An index past the end of the list selects the first entry (LoadSettings sees to that).
    {"Option", "Server", IntegerKey{&Settings::server_index, 0, -1}, Written::kAtClose},
    {"Option", "Format", TextKey{&Settings::display_format, kDefaultFormat}, Written::kAtOnce},
}};

// --- Loading and saving ---

// Reads every setting, in the order of the keys. A file without servers gives the built-in
// list; a stored value that does not parse gives the key's default.
Settings LoadSettings(SettingsFile& file, const sync::Locale& locale,
                      const std::vector<std::string>& builtin_servers);

// The server list as the close saves it: a name typed into the box and never picked goes
// first, and with no entry selected the first one becomes the selected one.
struct ServerChoice {
  std::vector<std::string> names;
  int selected = -1;
  bool operator==(const ServerChoice&) const = default;
};
ServerChoice ServersToSave(const Settings& settings);

// Called when the save has erased the server section and is about to write `ServersToSave`.
using ServerListSaving = std::function<void(const ServerChoice&)>;

// Writes the settings back, in the close query, in the order of the keys. A failed write throws
// tempiko::Exception and the keys after it stay unwritten. DialCheck and Format are never
// written here. Names equal but for case are one line of the file, and the stored index counts
// lines.
void SaveSettings(SettingsFile& file, const Settings& settings, const sync::Locale& locale,
                  const ServerListSaving& on_server_list = {});

// Writes the display pattern at once, when the user has confirmed a new one.
void WriteFormat(SettingsFile& file, const std::string& format);

// The start-up delay in seconds as stored (the start sequence reads it before any window
// exists; only the window keeps it within 0 to 999).
int ReadStartDelay(SettingsFile& file);

}  // namespace tempiko::app
