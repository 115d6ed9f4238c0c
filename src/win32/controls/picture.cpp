#include "win32/controls/picture.h"

namespace tempiko::win32 {

Win32Picture::Win32Picture(const ControlParent& parent, const ControlSpec& setup, HINSTANCE module,
                           int icon_id)
    : Win32Control(parent, setup.font), module_(module), icon_id_(icon_id) {
  // SS_REALSIZECONTROL keeps the given size instead of the icon's own.
  AddPart(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL | SS_NOTIFY, setup.id, setup.bounds);
  LoadPicture();
}

void Win32Picture::LoadPicture() {
  // Load the icon at the size it is shown at this DPI, so the system picks the best image of
  // the resource and nothing is stretched twice.
  const Bounds& bounds = parts().front().bounds;
  const int width = host().Scale(bounds.width);
  const int height = host().Scale(bounds.height);
  HICON icon = static_cast<HICON>(
      LoadImageW(module_, MAKEINTRESOURCEW(icon_id_), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
  if (!icon) {
    icon = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, width,
                                         height, LR_DEFAULTCOLOR));  // IDI_APPLICATION
  }
  // The control shows the new icon before the old one goes.
  SendMessageW(handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  icon_.reset(icon);
  PlacePart(parts().front());
}

void Win32Picture::OnCommand(HWND, WORD code) {
  if (code == STN_CLICKED && OnClick)
    OnClick();
}

void Win32Picture::OnDpiChanged() {
  Win32Control::OnDpiChanged();
  LoadPicture();
}

}  // namespace tempiko::win32
