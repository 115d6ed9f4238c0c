#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tempiko::app {

// The private-profile calls on one INI file, in the file's own bytes (Shift-JIS): the Win32
// adapter stands on GetPrivateProfileStringA / WritePrivateProfileStringA, the portable
// IniProfile implements the same semantics itself. Section and key names compare without
// regard to ASCII case. Every call opens and closes the file: what another program changed
// between two calls, the second sees.
class Profile {
 public:
  virtual ~Profile() = default;

  // The key's value through a buffer of `buffer_size` bytes: at most buffer_size − 1 bytes come
  // back, and a double-byte character that does not fit whole is left out. One pair of
  // matching quotes around the value is removed. A missing key, or a line without an equals
  // sign, gives the default.
  virtual std::string GetString(std::string_view section, std::string_view key,
                                std::string_view default_value, std::size_t buffer_size) = 0;

  // Sets the key (creating the file, the section or the key as needed). False when the file
  // cannot be written.
  virtual bool WriteString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;

  // Removes the key; removes the section. False when the file cannot be written.
  virtual bool DeleteKey(std::string_view section, std::string_view key) = 0;
  virtual bool EraseSection(std::string_view section) = 0;

  // The names of the section's keys that have a value, in file order, as fetched through one
  // buffer of `buffer_size` bytes: each name takes its length plus a terminating zero byte and
  // the list one more zero byte; the names that do not fit whole are lost. Empty names and
  // comment lines (";…") are not listed.
  virtual std::vector<std::string> KeyNames(std::string_view section, std::size_t buffer_size) = 0;

  // Whether the section holds the key with a value (a line with an equals sign).
  virtual bool HasKey(std::string_view section, std::string_view key) = 0;
};

// Keeps the names that fit whole in a key-name buffer of `buffer_size` bytes (see KeyNames).
std::vector<std::string> NamesThatFit(const std::vector<std::string>& names,
                                      std::size_t buffer_size);

}  // namespace tempiko::app
