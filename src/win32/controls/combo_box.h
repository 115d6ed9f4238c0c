#pragma once

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// An editable drop-down list. The selected entry follows the in-memory combo box: choosing an
// entry (from the list or the program) selects it and makes it the text; the user's typing
// leaves no entry selected; the program's SetText and SetItems keep the text, and SetItems
// selects none. The height of the bounds is the height with the list open (0: 200 pixels).
class Win32ComboBox : public Win32TextControl<ui::ComboBox> {
 public:
  Win32ComboBox(const ControlParent& parent, const ControlSpec& setup);

  void SetText(const std::string& text) override;
  std::vector<std::string> Items() const override;
  void SetItems(const std::vector<std::string>& items) override;
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override;

  void OnCommand(HWND from, WORD code) override;

 private:
  int index_ = -1;
  bool setting_text_ = false;
};

}  // namespace tempiko::win32
