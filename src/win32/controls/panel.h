#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// A plain child window in the face colour that holds other controls (`Inside()`), passes
// their notifications on to the host and lets the Tab key into them. With a bevel it draws a
// lowered outer and a raised inner edge.
class Win32Panel : public Win32Control<ui::Control> {
 public:
  enum class Bevel { kNone, kLoweredOuterRaisedInner };
  Win32Panel(const ControlParent& parent, const ControlSpec& setup, Bevel bevel = Bevel::kNone);

  ControlParent Inside() { return {&host(), handle(), 0, 0}; }
  std::function<void()> OnMouseMove;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();

  Bevel bevel_;
};

// Pages of which one is shown at a time, without tabs: the program switches them. The control
// is a panel holding one panel per page; `Page(i)` is where a page's controls are created.
class Win32PageControl : public Win32Panel {
 public:
  Win32PageControl(const ControlParent& parent, const ControlSpec& setup, int page_count = 2);

  int PageCount() const { return static_cast<int>(pages_.size()); }
  ControlParent Page(int index) { return pages_.at(static_cast<std::size_t>(index))->Inside(); }
  HWND PageWindow(int index) const { return pages_.at(static_cast<std::size_t>(index))->handle(); }
  int ActivePage() const { return active_; }
  void SetActivePage(int index);

 private:
  std::vector<std::unique_ptr<Win32Panel>> pages_;
  int active_ = 0;
};

}  // namespace tempiko::win32
