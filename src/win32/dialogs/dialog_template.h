#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tempiko::win32 {

// A dialog template built in memory (the layout DialogBoxIndirectParamW reads), so that the
// program's small dialogs need no resource script. Sizes are in dialog units of the font.
class DialogTemplate {
 public:
  // The predefined window classes a dialog item can name by number.
  enum class ItemClass : WORD { kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082 };

  DialogTemplate(DWORD style, const std::wstring& title, short width, short height,
                 const std::wstring& font_face = {}, WORD point_size = 9);

  void AddItem(ItemClass item_class, DWORD style, short x, short y, short width, short height,
               WORD id, const std::wstring& text);

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Add(WORD word) { words_.push_back(word); }
  void AddDword(DWORD value);
  void AddString(const std::wstring& text);
  void AlignToDword();

  // WORDs in a vector whose storage is at least DWORD-aligned, as the template must be.
  std::vector<WORD> words_;
  std::size_t count_index_ = 0;
};

}  // namespace tempiko::win32
