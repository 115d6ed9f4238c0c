#pragma once

#include <string>

#include "app/profile.h"

namespace tempiko::win32 {

// The profile port on GetPrivateProfileStringA / WritePrivateProfileStringA. Names and values
// pass as the file's Shift-JIS bytes; on a system whose ANSI code page is 932 (and on any
// single-byte one) the functions store them unchanged.
class Win32Profile : public app::Profile {
 public:
  // The path is UTF-8. The A functions take it in the ANSI code page; a path with characters
  // that code page lacks is given in its short (8.3) form.
  explicit Win32Profile(const std::string& path);

  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view default_value, std::size_t buffer_size) override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  bool DeleteKey(std::string_view section, std::string_view key) override;
  bool EraseSection(std::string_view section) override;
  std::vector<std::string> KeyNames(std::string_view section, std::size_t buffer_size) override;
  bool HasKey(std::string_view section, std::string_view key) override;

  const std::string& ansi_path() const { return ansi_path_; }

 private:
  std::string ansi_path_;
};

}  // namespace tempiko::win32
