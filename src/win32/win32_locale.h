#pragma once

#include <string>
#include <string_view>

#include "sync/locale.h"

namespace tempiko::win32 {

// Translates a Windows regional date or time format ("yyyy/MM/dd", "H:mm:ss", "tt h:mm") into
// the program's pattern language: H becomes h, t and tt become ampm; quoted text and the
// other letters carry over (the pattern language ignores case).
std::string TranslateRegionalFormat(std::string_view windows_format);

// The user's regional settings, read from the system.
sync::Locale ReadUserLocale();

}  // namespace tempiko::win32
