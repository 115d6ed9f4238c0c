#include "win32/controls/group_box.h"

#include <algorithm>

namespace tempiko::win32 {

Win32GroupBox::Win32GroupBox(const ControlParent& parent, const ControlSpec& setup)
    : Win32TextControl(parent, setup.font),
      inside_(parent.Offset(setup.bounds.left, setup.bounds.top)) {
  AddPart(L"BUTTON", Utf8ToWide(setup.text), BS_GROUPBOX, setup.id, setup.bounds);
}

Win32RadioGroup::Win32RadioGroup(const ControlParent& parent, const ControlSpec& setup,
                                 const std::vector<std::string>& items, int first_item_id)
    : Win32Control(parent, setup.font) {
  const Bounds& group = setup.bounds;
  AddPart(L"BUTTON", Utf8ToWide(setup.text), BS_GROUPBOX, setup.id, group);
  if (items.empty())
    return;
  // Rows share the height under the caption evenly, the spare pixels split above and below.
  const int count = static_cast<int>(items.size());
  const int caption = setup.font.pixel_height;
  const int usable = group.height - caption - 5;
  const int row = usable / count;
  const int top = caption + 1 + (usable % count) / 2;
  for (int i = 0; i < count; ++i) {
    // The first button opens the group and takes the tab stop; the arrow keys move inside.
    const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    AddPart(L"BUTTON", Utf8ToWide(items[static_cast<std::size_t>(i)]), style, first_item_id + i,
            {group.left + 8, group.top + top + i * row, group.width - 10, row});
  }
}

int Win32RadioGroup::ItemIndex() const {
  for (int i = 0; i < Count(); ++i) {
    if (SendMessageW(Button(i), BM_GETCHECK, 0, 0) == BST_CHECKED)
      return i;
  }
  return -1;
}

void Win32RadioGroup::SetItemIndex(int index) {
  index = std::clamp(index, -1, Count() - 1);
  for (int i = 0; i < Count(); ++i)
    SendMessageW(Button(i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32RadioGroup::OnCommand(HWND from, WORD code) {
  if (code == BN_CLICKED && from != handle() && OnClick)
    OnClick();
}

}  // namespace tempiko::win32
