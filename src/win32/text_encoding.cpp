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

std::wstring AnsiToWide(std::string_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int wide_size = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), wide_size);
  return wide;
}

bool WideToAnsi(std::wstring_view wide, std::string& ansi) {
  const int size = static_cast<int>(wide.size());
  // UTF-8 as the ANSI code page takes every character, and refuses the lossy-flag arguments.
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL lossy = FALSE;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL* lossy_flag = utf8 ? nullptr : &lossy;
  const int bytes =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, lossy_flag);
  ansi.assign(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), size, ansi.data(), bytes, nullptr, lossy_flag);
  return !lossy;
}

}  // namespace tempiko::win32
