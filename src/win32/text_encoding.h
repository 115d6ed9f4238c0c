#pragma once

#include <string>
#include <string_view>

namespace tempiko::win32 {

// The core speaks UTF-8; the window system speaks UTF-16.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace tempiko::win32
