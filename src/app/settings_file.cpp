#include "app/settings_file.h"

#include <cstdint>

#include "base/ascii_case.h"
#include "base/errors.h"
#include "sync/date_parse.h"
#include "sync/text_forms.h"

namespace tempiko::app {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Hexadecimal digits give the 32 bits of the value, so 0xFFFFFFFF reads as −1.
bool ParseHex(std::string_view digits, int& value) {
  std::uint64_t bits = 0;
  for (char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0)
      return false;
    bits = bits * 16 + static_cast<std::uint64_t>(digit);
    if (bits > 0xFFFF'FFFFu)
      return false;
  }
  value = static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
  return true;
}

bool ParseDecimal(std::string_view text, int& value) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return false;
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > 2'147'483'648LL)
      return false;
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > 2'147'483'647LL)
    return false;
  value = static_cast<int>(signed_value);
  return true;
}

}  // namespace

bool ParseSettingsInteger(std::string_view text, int& value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return ParseHex(text.substr(2), value);
  return ParseDecimal(text, value);
}

std::string SettingsPathFor(std::string_view executable_path) {
  const std::size_t name_start = executable_path.find_last_of("\\/:");
  const std::size_t dot = executable_path.rfind('.');
  const bool has_extension =
      dot != std::string_view::npos && (name_start == std::string_view::npos || dot > name_start);
  std::string path(executable_path.substr(0, has_extension ? dot : executable_path.size()));
  return path + ".ini";
}

std::string SettingsFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view default_value) {
  // The default goes through the buffer too, so a missing key and a stored one read alike.
  return codec_.ShiftJisToUtf8(
      profile_.GetString(codec_.Utf8ToShiftJis(section), codec_.Utf8ToShiftJis(key),
                         codec_.Utf8ToShiftJis(default_value), kTextBufferSize));
}

int SettingsFile::ReadInteger(std::string_view section, std::string_view key, int default_value) {
  int value = default_value;
  if (!ParseSettingsInteger(ReadString(section, key, ""), value))
    return default_value;
  return value;
}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key, bool default_value) {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

sync::DateTime SettingsFile::ReadDateTime(std::string_view section, std::string_view key,
                                          sync::DateTime default_value,
                                          const sync::Locale& locale) {
  const std::string text = ReadString(section, key, "");
  if (text.empty())
    return default_value;
  return sync::ParseDateTimeText(text, locale).value_or(default_value);
}

std::vector<std::string> SettingsFile::ReadSection(std::string_view section) {
  std::vector<std::string> names =
      profile_.KeyNames(codec_.Utf8ToShiftJis(section), kKeyListBufferSize);
  for (std::string& name : names)
    name = codec_.ShiftJisToUtf8(name);
  return names;
}

bool SettingsFile::ValueExists(std::string_view section, std::string_view key) {
  return profile_.HasKey(codec_.Utf8ToShiftJis(section), codec_.Utf8ToShiftJis(key));
}

void SettingsFile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  if (!profile_.WriteString(codec_.Utf8ToShiftJis(section), codec_.Utf8ToShiftJis(key),
                            codec_.Utf8ToShiftJis(value)))
    ThrowWriteError();
}

void SettingsFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void SettingsFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void SettingsFile::WriteDateTime(std::string_view section, std::string_view key,
                                 sync::DateTime value, const sync::Locale& locale) {
  WriteString(section, key, sync::DateTimeText(value, locale));
}

void SettingsFile::EraseSection(std::string_view section) {
  if (!profile_.EraseSection(codec_.Utf8ToShiftJis(section)))
    ThrowWriteError();
}

std::string SettingsFile::KeyOf(std::string_view name) const {
  return FoldNameCase(codec_.Utf8ToShiftJis(name));
}

void SettingsFile::ThrowWriteError() const {
  throw Exception(path_ + " に書き込めません");
}

}  // namespace tempiko::app
