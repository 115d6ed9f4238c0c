#include "win32/text_encoding.h"

#include <windows.h>

namespace tempiko::win32 {

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int wide_size = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), wide_size);
  return wide;
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int narrow_size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(narrow_size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), narrow_size, nullptr, nullptr);
  return narrow;
}

}  // namespace tempiko::win32
