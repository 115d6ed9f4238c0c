#include "win32/win32_profile.h"

#include <windows.h>

#include <algorithm>

#include "win32/owned.h"
#include "win32/text_encoding.h"

namespace tempiko::win32 {
namespace {

// The key list is fetched whole, through a buffer that grows until nothing is cut off, and then
// cut to the caller's buffer size; beyond this the rest of a huge section is lost.
constexpr std::size_t kLargestListBuffer = 16u << 20;

std::wstring ShortPath(const std::wstring& path) {
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0)
    return path;
  std::wstring result(size, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), result.data(), size);
  result.resize(length);
  return length == 0 ? path : result;
}

// The short form of a path exists only for an existing file: the file is created empty when
// its own name needs the short form (an empty settings file reads as no file at all).
std::string AnsiPath(const std::string& utf8_path) {
  const std::wstring wide = Utf8ToWide(utf8_path);
  std::string ansi;
  if (WideToAnsi(wide, ansi))
    return ansi;
  const std::size_t slash = wide.find_last_of(L"\\/");
  const std::wstring name = slash == std::wstring::npos ? wide : wide.substr(slash + 1);
  std::string ignored;
  if (!WideToAnsi(name, ignored) && GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Created empty and closed at once.
    const UniqueFileHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  std::wstring shortened = ShortPath(wide);
  if (shortened == wide && slash != std::wstring::npos)
    shortened = ShortPath(wide.substr(0, slash)) + L"\\" + name;
  WideToAnsi(shortened, ansi);
  return ansi;
}

std::string Text(std::string_view text) {
  return std::string(text);
}

// Splits a list of zero-ended names of `length` bytes.
std::vector<std::string> SplitNames(const std::vector<char>& buffer, std::size_t length) {
  std::vector<std::string> names;
  std::size_t at = 0;
  while (at < length) {
    const auto end = std::find(buffer.begin() + static_cast<std::ptrdiff_t>(at),
                               buffer.begin() + static_cast<std::ptrdiff_t>(length), '\0');
    const auto stop = static_cast<std::size_t>(end - buffer.begin());
    names.emplace_back(buffer.data() + at, stop - at);
    at = stop + 1;
  }
  return names;
}

// A list the functions return through a buffer (key names with no key, section names with no
// section). A list cut off at the buffer's end comes back as buffer size − 2 bytes; the buffer
// grows until the whole list fits.
template <typename Fetch>
std::vector<std::string> FetchList(Fetch fetch) {
  std::vector<char> buffer(4096, '\0');
  for (;;) {
    const DWORD length = fetch(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length + 2 < buffer.size() || buffer.size() >= kLargestListBuffer) {
      std::vector<std::string> names = SplitNames(buffer, length);
      if (length + 2 >= buffer.size() && !names.empty())
        names.pop_back();  // cut off even at the largest size
      return names;
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
}

}  // namespace

Win32Profile::Win32Profile(const std::string& path) : ansi_path_(AnsiPath(path)) {}

std::string Win32Profile::GetString(std::string_view section, std::string_view key,
                                    std::string_view default_value, std::size_t buffer_size) {
  if (buffer_size == 0)
    return {};
  std::vector<char> buffer(buffer_size, '\0');
  const DWORD length = GetPrivateProfileStringA(
      Text(section).c_str(), Text(key).c_str(), Text(default_value).c_str(), buffer.data(),
      static_cast<DWORD>(buffer_size), ansi_path_.c_str());
  // A double-byte character cut by the buffer's end is left out, but still counted in the
  // length: the zero-filled buffer tells where the text really ends.
  const std::size_t counted = std::min<std::size_t>(length, buffer_size - 1);
  return std::string(buffer.data(), std::find(buffer.data(), buffer.data() + counted, '\0'));
}

bool Win32Profile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  return WritePrivateProfileStringA(Text(section).c_str(), Text(key).c_str(), Text(value).c_str(),
                                    ansi_path_.c_str()) != 0;
}

bool Win32Profile::DeleteKey(std::string_view section, std::string_view key) {
  return WritePrivateProfileStringA(Text(section).c_str(), Text(key).c_str(), nullptr,
                                    ansi_path_.c_str()) != 0;
}

bool Win32Profile::EraseSection(std::string_view section) {
  // One call removes the first section of that name only; a hand-edited file may repeat it.
  const std::string name = Text(section);
  const std::vector<std::string> sections = FetchList([&](char* buffer, DWORD size) {
    return GetPrivateProfileSectionNamesA(buffer, size, ansi_path_.c_str());
  });
  const auto copies = std::count_if(sections.begin(), sections.end(), [&](const std::string& s) {
    return lstrcmpiA(s.c_str(), name.c_str()) == 0;
  });
  for (std::ptrdiff_t i = 0; i < std::max<std::ptrdiff_t>(copies, 1); ++i) {
    if (!WritePrivateProfileStringA(name.c_str(), nullptr, nullptr, ansi_path_.c_str()))
      return false;
  }
  return true;
}

std::vector<std::string> Win32Profile::KeyNames(std::string_view section, std::size_t buffer_size) {
  const std::string name = Text(section);
  std::vector<std::string> names = FetchList([&](char* buffer, DWORD size) {
    return GetPrivateProfileStringA(name.c_str(), nullptr, "", buffer, size, ansi_path_.c_str());
  });
  std::erase_if(names, [](const std::string& n) { return n.empty() || n.front() == ';'; });
  return app::NamesThatFit(names, buffer_size);
}

bool Win32Profile::HasKey(std::string_view section, std::string_view key) {
  // A present key answers its own value whatever the default; a missing one each default.
  return GetString(section, key, "0", 2) == GetString(section, key, "1", 2);
}

}  // namespace tempiko::win32
