#include "win32/error_box.h"

#include "win32/text_encoding.h"

namespace tempiko::win32 {

void ThrowWindowRefused() {
  throw WindowRefused("ウィンドウを作成できません (エラー " + std::to_string(GetLastError()) + ")");
}

std::string ErrorBoxText(const std::string& message) {
  std::string text = message;
  // Compared byte by byte: the last byte of a multi-byte character sorts after ".", so a
  // Japanese text ends in a full stop too.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
    text += '.';
  return text;
}

void ShowErrorBox(HWND owner, const std::string& message) {
  MessageBoxW(owner, Utf8ToWide(ErrorBoxText(message)).c_str(), kApplicationTitle,
              MB_OK | MB_ICONERROR);
}

}  // namespace tempiko::win32
