#include "win32/controls/memo.h"

namespace tempiko::win32 {

Win32Memo::Win32Memo(const ControlParent& parent, const ControlSpec& setup)
    : Win32Control(parent, setup.font) {
  AddPart(L"EDIT", L"",
          ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
          setup.id, setup.bounds, WS_EX_CLIENTEDGE);
  // The log of a program that stays in the tray for weeks outgrows the default 30 000 characters.
  SendMessageW(handle(), EM_SETLIMITTEXT, 0, 0);
}

void Win32Memo::Append(const std::string& line) {
  const std::wstring text = Utf8ToWide(line) + L"\r\n";
  const int end = GetWindowTextLengthW(handle());
  SendMessageW(handle(), EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(handle(), EM_SCROLLCARET, 0, 0);
  if (++line_count_ > kMaxLines)
    DropOldestLines(line_count_ - kLinesKept);
}

void Win32Memo::DropOldestLines(std::size_t count) {
  // Lines as appended, not as wrapped on screen: the cut goes after the count-th CR LF.
  const std::wstring text = WindowText(handle());
  std::size_t cut = 0;
  for (std::size_t i = 0; i < count && cut != std::wstring::npos; ++i) {
    cut = text.find(L"\r\n", cut);
    if (cut != std::wstring::npos)
      cut += 2;
  }
  if (cut == std::wstring::npos)
    cut = text.size();
  SendMessageW(handle(), EM_SETSEL, 0, static_cast<LPARAM>(cut));
  SendMessageW(handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  const int end = GetWindowTextLengthW(handle());
  SendMessageW(handle(), EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(handle(), EM_SCROLLCARET, 0, 0);
  line_count_ -= count;
}

std::vector<std::string> Win32Memo::Lines() const {
  const std::wstring text = WindowText(handle());
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos)
      end = text.size();
    lines.push_back(WideToUtf8(std::wstring_view(text).substr(start, end - start)));
    start = end + 2;
  }
  return lines;
}

}  // namespace tempiko::win32
