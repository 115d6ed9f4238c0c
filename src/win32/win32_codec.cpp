#include "win32/win32_codec.h"

#include <windows.h>

#include "win32/text_encoding.h"

namespace tempiko::win32 {
namespace {

constexpr UINT kShiftJis = 932;

bool IsHighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Code page 932 has no character beyond the basic plane: each such character (a surrogate
// pair) becomes one "?", as one character should.
std::wstring WithoutSurrogatePairs(std::wstring_view text) {
  std::wstring result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      result += L'?';
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

}  // namespace

std::string Win32Codec::Utf8ToShiftJis(std::string_view utf8) {
  const std::wstring wide = WithoutSurrogatePairs(Utf8ToWide(utf8));
  if (wide.empty())
    return {};
  const int size = static_cast<int>(wide.size());
  // No best fit: a character that code page 932 lacks becomes "?" and never a look-alike
  // (é would otherwise become e).
  const int bytes = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                        0, "?", nullptr);
  std::string result(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), size, result.data(), bytes, "?",
                      nullptr);
  return result;
}

std::string Win32Codec::ShiftJisToUtf8(std::string_view shift_jis) {
  if (shift_jis.empty())
    return {};
  const int size = static_cast<int>(shift_jis.size());
  const int wide_size = MultiByteToWideChar(kShiftJis, 0, shift_jis.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(kShiftJis, 0, shift_jis.data(), size, wide.data(), wide_size);
  return WideToUtf8(wide);
}

}  // namespace tempiko::win32
