#pragma once

#include <functional>

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// A status bar with one text, in simple mode. It is not docked: it keeps the place and size it
// was given when its parent changes size (CCS_NOPARENTALIGN | CCS_NORESIZE), so it stays under
// the left half while the details area is open.
class Win32StatusBar : public Win32Control<ui::StatusBar> {
 public:
  Win32StatusBar(const ControlParent& parent, const ControlSpec& setup);

  std::string Text() const override;
  void SetText(const std::string& text) override;

  std::function<void()> OnClick;

  std::optional<LRESULT> OnNotify(const NMHDR& header) override;
};

}  // namespace tempiko::win32
