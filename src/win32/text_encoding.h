#pragma once

#include <string>
#include <string_view>

namespace tempiko::win32 {

// The core speaks UTF-8; the window system speaks UTF-16.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The system's ANSI code page, which the platform's "A" functions speak.
std::wstring AnsiToWide(std::string_view text);
// Writes the text in the ANSI code page to `ansi`; false when it holds characters that code
// page lacks (they are written as "?").
bool WideToAnsi(std::wstring_view wide, std::string& ansi);

}  // namespace tempiko::win32
