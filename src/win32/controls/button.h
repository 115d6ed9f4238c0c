#pragma once

#include <functional>

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// A push button. OnClick (through the port's Click) is raised when the parent routes the
// button's BN_CLICKED to the host. A default button is the one Enter presses.
class Win32Button : public Win32TextControl<ui::Button> {
 public:
  enum class Kind { kPush, kDefault };
  Win32Button(const ControlParent& parent, const ControlSpec& setup, Kind kind = Kind::kPush);
  ~Win32Button() override;

  // Raised when any mouse button goes down on the button, before any click.
  std::function<void()> OnMouseDown;

  void OnCommand(HWND from, WORD code) override;

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
};

// A check box whose state the user toggles. OnClick follows the user's clicks only: setting
// the state from the program raises nothing, as with the in-memory check box.
class Win32CheckBox : public Win32Control<ui::CheckBox> {
 public:
  Win32CheckBox(const ControlParent& parent, const ControlSpec& setup);

  bool Checked() const override;
  void SetChecked(bool checked) override;

  std::function<void()> OnClick;

  void OnCommand(HWND from, WORD code) override;
};

}  // namespace tempiko::win32
