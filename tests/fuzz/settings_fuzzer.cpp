// Fuzz target: arbitrary bytes as the settings file, loaded through the portable profile into
// the main window's settings, then one write that parses and writes the file back. Any input
// must load without a crash, a leak or a read out of bounds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ini_profile.h"
#include "app/settings.h"
#include "base/errors.h"
#include "fakes/memory_settings_window.h"
#include "posix/posix_text_codec.h"
#include "sync/date_parse.h"

namespace {

using namespace tempiko;

// One file per fuzzing process, removed when it ends.
struct FuzzFile {
  FuzzFile() {
    const char* folder = std::getenv("TMPDIR");
    path = std::string(folder && *folder ? folder : "/tmp") + "/tempiko-fuzz-" +
           std::to_string(getpid()) + ".ini";
  }
  ~FuzzFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  std::string path;
};

const std::string& FuzzFilePath() {
  static const FuzzFile file;
  return file.path;
}

sync::Locale UsLocale() {
  sync::Locale locale = sync::Locale::Japanese();
  locale.short_date_format = "M/d/yyyy";
  locale.long_time_format = "h:mm:ss ampm";
  locale.time_am = "AM";
  locale.time_pm = "PM";
  return locale;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string& path = FuzzFilePath();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

  app::IniProfile profile(path);
  posix::PosixTextCodec codec;
  app::SettingsFile file(profile, codec, path);

  fakes::MemorySettingsWindow window;
  app::LoadSettings(file, window.Settings());
  (void)app::ReadStartDelay(file);

  // The small buffers' edges, and the date reading of another locale on raw text.
  (void)profile.GetString("Option", "Entry", "default", 3);
  (void)profile.KeyNames("Server", 32);
  (void)sync::ParseDateTimeText(window.entry.Text(), UsLocale());
  (void)sync::ParseDateTimeText(bytes.substr(0, 64), window.locale);

  try {
    app::WriteFormat(file, window.format);
  } catch (const Exception&) {
    // A file the fuzzer made unwritable is a legitimate outcome, not a fault.
  }
  return 0;
}
