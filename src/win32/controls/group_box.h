#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// A captioned frame. The controls it holds are created on the same parent window with
// `Inside()`, which places them relative to the frame. Clicks on the frame reach the parent
// window itself (a group box is transparent to the mouse).
class Win32GroupBox : public Win32TextControl<ui::TextControl> {
 public:
  Win32GroupBox(const ControlParent& parent, const ControlSpec& setup);
  ControlParent Inside() const { return inside_; }

 private:
  ControlParent inside_;
};

// A group box with one radio button per item, laid out in one column under the caption.
// ItemIndex is -1 (none) to the number of items − 1. The buttons' ids run from
// `first_item_id` on.
class Win32RadioGroup : public Win32Control<ui::RadioGroup> {
 public:
  Win32RadioGroup(const ControlParent& parent, const ControlSpec& setup,
                  const std::vector<std::string>& items, int first_item_id);

  int ItemIndex() const override;
  void SetItemIndex(int index) override;
  int Count() const { return static_cast<int>(parts().size()) - 1; }
  HWND Button(int index) const {
    return parts().at(static_cast<std::size_t>(index) + 1).window.get();
  }

  // Raised when the user clicks one of the buttons.
  std::function<void()> OnClick;

  void OnCommand(HWND from, WORD code) override;
};

}  // namespace tempiko::win32
