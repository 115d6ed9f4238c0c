#pragma once

#include <windows.h>

#include <string>

#include "base/errors.h"

namespace tempiko::win32 {

// The system refused one of the program's windows or its class; the text names the error.
class WindowRefused : public Exception {
 public:
  using Exception::Exception;
};

// Throws WindowRefused for the last error of the thread.
[[noreturn]] void ThrowWindowRefused();

// The caption of the program's message boxes.
inline constexpr wchar_t kApplicationTitle[] = L"Tempiko！";

// The text the error box shows for a failure's message: a full stop is added when the message's
// last character sorts after ".".
std::string ErrorBoxText(const std::string& message);

// The application's error box: the message with the error icon and an OK button, captioned
// with the application's title, modal over `owner` (none: over the desktop).
void ShowErrorBox(HWND owner, const std::string& message);

}  // namespace tempiko::win32
