#include "win32/controls/status_bar.h"

#include <commctrl.h>

namespace tempiko::win32 {

Win32StatusBar::Win32StatusBar(const ControlParent& parent, const ControlSpec& setup)
    : Win32Control(parent, setup.font) {
  AddPart(STATUSCLASSNAMEW, L"", CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, setup.id,
          setup.bounds);
  SendMessageW(handle(), SB_SIMPLE, TRUE, 0);
  SetText(setup.text);
}

std::string Win32StatusBar::Text() const {
  // Pane 0 holds the same text as the simple pane, and WM_GETTEXT (a probe's way) reads it.
  const auto length = LOWORD(SendMessageW(handle(), SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return WideToUtf8(text);
}

void Win32StatusBar::SetText(const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  SendMessageW(handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str()));
  SendMessageW(handle(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::optional<LRESULT> Win32StatusBar::OnNotify(const NMHDR& header) {
  if (header.code == static_cast<UINT>(NM_CLICK) && OnClick) {
    OnClick();
    return 0;
  }
  return std::nullopt;
}

}  // namespace tempiko::win32
