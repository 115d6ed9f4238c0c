#include "win32/controls/button.h"

#include <commctrl.h>

namespace tempiko::win32 {

Win32Button::Win32Button(const ControlParent& parent, const ControlSpec& setup, Kind kind)
    : Win32TextControl(parent, setup.font) {
  const DWORD style = kind == Kind::kDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  HWND button = AddPart(L"BUTTON", Utf8ToWide(setup.text), style | WS_TABSTOP | WS_GROUP, setup.id,
                        setup.bounds);
  if (kind == Kind::kDefault)
    host().SetDefaultButton(setup.id);
  SetWindowSubclass(button, &Win32Button::Subclass, 0, reinterpret_cast<DWORD_PTR>(this));
}

Win32Button::~Win32Button() {
  RemoveWindowSubclass(handle(), &Win32Button::Subclass, 0);
}

void Win32Button::OnCommand(HWND, WORD code) {
  if (code == BN_CLICKED)
    Click();
}

LRESULT CALLBACK Win32Button::Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR, DWORD_PTR self) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      auto* button = reinterpret_cast<Win32Button*>(self);
      if (button->OnMouseDown)
        button->OnMouseDown();
      break;
    }
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

Win32CheckBox::Win32CheckBox(const ControlParent& parent, const ControlSpec& setup)
    : Win32Control(parent, setup.font) {
  AddPart(L"BUTTON", Utf8ToWide(setup.text), BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, setup.id,
          setup.bounds);
}

bool Win32CheckBox::Checked() const {
  return SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32CheckBox::SetChecked(bool checked) {
  SendMessageW(handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32CheckBox::OnCommand(HWND, WORD code) {
  if (code == BN_CLICKED && OnClick)
    OnClick();
}

}  // namespace tempiko::win32
