#include "win32/controls/control_host.h"

#include <commctrl.h>

#include <algorithm>

namespace tempiko::win32 {

UINT WindowDpi(HWND window) {
  // GetDpiForWindow exists from Windows 10 1607 on; earlier systems have one DPI for all.
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi && window) {
    const UINT dpi = get_dpi(window);
    if (dpi != 0)
      return dpi;
  }
  const WindowDc screen(nullptr);
  const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

ControlHost::ControlHost(HWND window) : window_(window), dpi_(WindowDpi(window)) {
  // The status bar and the arrows of the number fields are common controls; registering
  // their classes again is harmless.
  const INITCOMMONCONTROLSEX classes{
      .dwSize = sizeof(INITCOMMONCONTROLSEX),
      .dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&classes);
}

HFONT ControlHost::Font(const FontSpec& setup) {
  UniqueFont& font = fonts_[setup.Key()];
  if (!font) {
    font.reset(CreateFontW(-Scale(setup.pixel_height), 0, 0, 0, setup.weight, FALSE, FALSE, FALSE,
                           setup.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, setup.face.c_str()));
  }
  return font.get();
}

void ControlHost::RemoveControl(MessageTarget* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

MessageTarget* ControlHost::Find(HWND control) const {
  const auto found = targets_.find(control);
  return found == targets_.end() ? nullptr : found->second;
}

bool ControlHost::Route(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  switch (message) {
    case WM_COMMAND: {
      HWND from = reinterpret_cast<HWND>(lparam);
      MessageTarget* target = from ? Find(from) : nullptr;
      if (!target)
        return false;
      target->OnCommand(from, HIWORD(wparam));
      *result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      MessageTarget* target = header ? Find(header->hwndFrom) : nullptr;
      if (!target)
        return false;
      const std::optional<LRESULT> answer = target->OnNotify(*header);
      if (!answer)
        return false;
      *result = *answer;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      HWND from = reinterpret_cast<HWND>(lparam);
      MessageTarget* target = Find(from);
      HBRUSH brush = target ? target->OnColor(from, reinterpret_cast<HDC>(wparam)) : nullptr;
      if (!brush)
        return false;
      *result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case DM_GETDEFID:
      if (default_button_ == 0)
        return false;
      *result = MAKELRESULT(default_button_, DC_HASDEFID);
      return true;
    default:
      return false;
  }
}

void ControlHost::SetDpi(UINT dpi) {
  if (dpi == 0 || dpi == dpi_)
    return;
  dpi_ = dpi;
  // The controls still use the old fonts until they have taken the new ones: the old ones
  // are deleted on the way out.
  const auto old_fonts = std::move(fonts_);
  fonts_.clear();
  for (MessageTarget* control : controls_)
    control->OnDpiChanged();
}

}  // namespace tempiko::win32
