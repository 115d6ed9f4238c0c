// Fuzz target: arbitrary bytes as the settings file, loaded through the portable profile, then
// saved back as the close saves them and loaded again. Any input must load and save without a
// crash, a leak or a read out of bounds, and the numbers and switches saved must read back.
// The profile keeps its text in memory: the same reading and writing, without a disk that would
// allow a few hundred files a second.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/ini_profile.h"
#include "app/settings.h"
#include "fuzz_support.h"
#include "posix/posix_text_codec.h"
#include "sync/date_parse.h"

namespace {

using namespace tempiko;

// The portable profile over a text in memory, as it would lie in the file.
class MemoryProfile final : public app::IniProfile {
 public:
  explicit MemoryProfile(std::string text) : IniProfile("tempiko.ini"), text_(std::move(text)) {}
  const std::string& Text() const { return text_; }

 protected:
  std::string ReadText() override { return text_; }
  std::optional<std::string> ReadTextForChange() override { return text_; }
  bool WriteText(const std::string& text) override {
    text_ = text;
    return true;
  }

 private:
  std::string text_;
};

sync::Locale UsLocale() {
  sync::Locale locale = sync::Locale::Japanese();
  locale.short_date_format = "M/d/yyyy";
  locale.long_time_format = "h:mm:ss ampm";
  locale.time_am = "AM";
  locale.time_pm = "PM";
  return locale;
}

// The values the close always writes read back as they were loaded. (Texts and server names
// may change through the code page and the profile's syntax; a key the close does not write
// may come to light when the profile tidies the file, as a line under a nameless "[]" header
// joins the section above it.)
bool SavedValuesReadBack(const app::Settings& a, const app::Settings& b) {
  return a.start_option == b.start_option && a.tolerance_ms == b.tolerance_ms &&
         a.drift_ms_per_day == b.drift_ms_per_day && a.relay_on == b.relay_on &&
         a.period_hours == b.period_hours && a.start_delay_s == b.start_delay_s;
}

// What the window is given: every number within its key's bounds, every text well-formed
// UTF-8 whatever the file's bytes, and a selected server that is one of the list's.
bool LoadedValuesAreUsable(const app::Settings& loaded) {
  for (const app::SettingsKey& key : app::kSettingsKeys) {
    if (const auto* integer = std::get_if<app::IntegerKey>(&key.encoding)) {
      const int value = loaded.*(integer->field);
      if (value < integer->min || value > integer->max)
        return false;
    }
  }
  const auto& servers = loaded.server_list;
  const bool texts_are_utf8 = fuzz::IsUtf8(loaded.dial_entry) &&
                              fuzz::IsUtf8(loaded.display_format) &&
                              std::all_of(servers.begin(), servers.end(),
                                          [](const auto& name) { return fuzz::IsUtf8(name); });
  const bool index_in_list =
      loaded.server_index >= -1 && loaded.server_index < static_cast<int>(servers.size());
  return texts_are_utf8 && index_in_list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  MemoryProfile profile(bytes);
  posix::PosixTextCodec codec;
  app::SettingsFile file(profile, codec, profile.path());

  const sync::Locale locale = sync::Locale::Japanese();
  const std::vector<std::string> builtin_servers = {"ntp.builtin.example"};
  const app::Settings loaded = app::LoadSettings(file, locale, builtin_servers);
  fuzz::Require(LoadedValuesAreUsable(loaded), "the loaded settings are usable as they are");
  (void)app::ReadStartDelay(file);

  // The small buffers' edges, and the date reading of another locale on raw text.
  (void)profile.GetString("Option", "Entry", "default", 3);
  (void)profile.KeyNames("Server", 32);
  (void)sync::ParseDateTimeText(loaded.dial_entry, UsLocale());
  (void)sync::ParseDateTimeText(bytes.substr(0, 64), locale);

  app::SaveSettings(file, loaded, locale);
  app::WriteFormat(file, loaded.display_format);
  // The profile keeps what it wrote when the text parses back to it: it must read the file
  // exactly as a profile that parses the written text anew.
  const app::Settings reloaded = app::LoadSettings(file, locale, builtin_servers);
  MemoryProfile fresh_profile(profile.Text());
  app::SettingsFile fresh_file(fresh_profile, codec, fresh_profile.path());
  fuzz::Require(reloaded == app::LoadSettings(fresh_file, locale, builtin_servers),
                "the profile reads what it wrote as the written text reads");
  // A zero byte ends a name or value where the profile finds it, after the blanks around it
  // were stripped: "[Option\f\0]" names no section "Option", but once the file is rewritten
  // as "[Option\f]" it does, and older values under it come to light.
  if (bytes.find('\0') != std::string::npos)
    return 0;
  fuzz::Require(SavedValuesReadBack(loaded, reloaded), "the values saved read back");
  return 0;
}
