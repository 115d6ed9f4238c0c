#include "win32/dialogs/dialog_template.h"

namespace tempiko::win32 {

DialogTemplate::DialogTemplate(DWORD style, const std::wstring& title, short width, short height,
                               const std::wstring& font_face, WORD point_size) {
  if (!font_face.empty())
    style |= DS_SETFONT;
  AddDword(style);
  AddDword(0);  // extended style
  count_index_ = words_.size();
  Add(0);  // number of items, counted by AddItem
  for (short value : {short{0}, short{0}, width, height})
    Add(static_cast<WORD>(value));
  Add(0);  // no menu
  Add(0);  // the dialog class
  AddString(title);
  if (!font_face.empty()) {
    Add(point_size);
    AddString(font_face);
  }
}

void DialogTemplate::AddItem(ItemClass item_class, DWORD style, short x, short y, short width,
                             short height, WORD id, const std::wstring& text) {
  AlignToDword();
  AddDword(style | WS_CHILD | WS_VISIBLE);
  AddDword(0);  // extended style
  for (short value : {x, y, width, height})
    Add(static_cast<WORD>(value));
  Add(id);
  Add(0xFFFF);  // the class by number
  Add(static_cast<WORD>(item_class));
  AddString(text);
  Add(0);  // no creation data
  ++words_[count_index_];
}

void DialogTemplate::AddDword(DWORD value) {
  Add(LOWORD(value));
  Add(HIWORD(value));
}

void DialogTemplate::AddString(const std::wstring& text) {
  for (wchar_t c : text)
    Add(static_cast<WORD>(c));
  Add(0);
}

void DialogTemplate::AlignToDword() {
  if (words_.size() % 2 != 0)
    Add(0);
}

}  // namespace tempiko::win32
