#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/profile.h"
#include "app/text_codec.h"
#include "sync/date_time.h"
#include "sync/locale.h"

namespace tempiko::app {

// The settings file as the program reads and writes it: UTF-8 texts and the value encodings of
// the INI file (integers with the 0x rule, booleans, texts through a 2 048-character buffer,
// date-times in the regional short date and long time, a section's key list through a
// 16 384-byte buffer) over the profile calls and the Shift-JIS codec. A write that fails
// throws tempiko::Exception("<path> に書き込めません").
class SettingsFile {
 public:
  static constexpr std::size_t kTextBufferSize = 2048;
  static constexpr std::size_t kKeyListBufferSize = 16384;

  // `path` (UTF-8) is only named in the error text; the profile already stands for the file.
  SettingsFile(Profile& profile, TextCodec& codec, std::string path)
      : profile_(profile), codec_(codec), path_(std::move(path)) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value);
  int ReadInteger(std::string_view section, std::string_view key, int default_value);
  bool ReadBool(std::string_view section, std::string_view key, bool default_value);
  sync::DateTime ReadDateTime(std::string_view section, std::string_view key,
                              sync::DateTime default_value, const sync::Locale& locale);
  std::vector<std::string> ReadSection(std::string_view section);
  bool ValueExists(std::string_view section, std::string_view key);

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void WriteDateTime(std::string_view section, std::string_view key, sync::DateTime value,
                     const sync::Locale& locale);
  void EraseSection(std::string_view section);

  // The form under which the file tells names apart: two names are one key to it when their
  // forms are equal (names compare without regard to ASCII case, in the file's Shift-JIS bytes).
  std::string KeyOf(std::string_view name) const;

  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void ThrowWriteError() const;

  Profile& profile_;
  TextCodec& codec_;
  std::string path_;
};

// An integer as the settings file stores it: signed decimal, or hexadecimal after "0x" (the x
// in either case; the text longer than two characters). Nothing else is a number.
bool ParseSettingsInteger(std::string_view text, int& value);

// The settings file of the executable: its path with the extension replaced by ".ini" (or
// ".ini" appended when the file name has none).
std::string SettingsPathFor(std::string_view executable_path);

}  // namespace tempiko::app
