#include "win32/controls/combo_box.h"

namespace tempiko::win32 {
namespace {

constexpr int kDefaultDropHeight = 200;

}  // namespace

Win32ComboBox::Win32ComboBox(const ControlParent& parent, const ControlSpec& setup)
    : Win32TextControl(parent, setup.font) {
  Bounds bounds = setup.bounds;
  if (bounds.height == 0)
    bounds.height = kDefaultDropHeight;
  AddPart(L"COMBOBOX", L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
          setup.id, bounds);
  SetText(setup.text);
}

void Win32ComboBox::SetText(const std::string& text) {
  // The edit's change notification that follows is the program's, not the user's typing.
  setting_text_ = true;
  Win32TextControl::SetText(text);
  setting_text_ = false;
}

std::vector<std::string> Win32ComboBox::Items() const {
  std::vector<std::string> items;
  const auto count = SendMessageW(handle(), CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = SendMessageW(handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring item(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
    SendMessageW(handle(), CB_GETLBTEXT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
    items.push_back(WideToUtf8(item));
  }
  return items;
}

void Win32ComboBox::SetItems(const std::vector<std::string>& items) {
  const std::string text = Text();
  SendMessageW(handle(), CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    const std::wstring wide = Utf8ToWide(item);
    SendMessageW(handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  index_ = -1;
  // Emptying the list may empty the edit field; the text stays what it was.
  if (Text() != text)
    SetText(text);
}

void Win32ComboBox::SetItemIndex(int index) {
  const auto count = SendMessageW(handle(), CB_GETCOUNT, 0, 0);
  index_ = index >= 0 && index < count ? index : -1;
  // Selecting an entry puts its text in the field; selecting none keeps the field's text,
  // which CB_SETCURSEL with -1 empties.
  const std::string text = Text();
  setting_text_ = true;
  SendMessageW(handle(), CB_SETCURSEL, static_cast<WPARAM>(index_), 0);
  setting_text_ = false;
  if (index_ < 0 && Text() != text)
    SetText(text);
}

void Win32ComboBox::OnCommand(HWND, WORD code) {
  switch (code) {
    case CBN_EDITCHANGE:
      if (!setting_text_)
        index_ = -1;
      break;
    case CBN_SELCHANGE: {
      const auto selected = SendMessageW(handle(), CB_GETCURSEL, 0, 0);
      index_ = selected == CB_ERR ? -1 : static_cast<int>(selected);
      break;
    }
    default:
      break;
  }
}

}  // namespace tempiko::win32
