#pragma once

#include <functional>

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// A picture: an icon resource drawn stretched to the control's size (icons keep their
// transparency on any background). A missing resource shows the system's application icon.
class Win32Picture : public Win32Control<ui::Control> {
 public:
  Win32Picture(const ControlParent& parent, const ControlSpec& setup, HINSTANCE module,
               int icon_id);

  HICON icon() const { return icon_.get(); }
  std::function<void()> OnClick;

  void OnCommand(HWND from, WORD code) override;
  void OnDpiChanged() override;

 private:
  void LoadPicture();

  HINSTANCE module_;
  int icon_id_;
  UniqueIcon icon_;  // loaded at the size shown, for this control alone
};

}  // namespace tempiko::win32
