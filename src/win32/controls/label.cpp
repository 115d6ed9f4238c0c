#include "win32/controls/label.h"

#include <commctrl.h>

#include <utility>

namespace tempiko::win32 {

Win32Label::Win32Label(const ControlParent& parent, const ControlSpec& setup)
    : Win32TextControl(parent, setup.font),
      auto_size_(setup.bounds.width == 0),
      text_(WideToUtf8(Utf8ToWide(setup.text))) {
  // SS_NOPREFIX: a pattern or an address may hold "&", which is shown as it is. A label is one
  // line: a text wider than its bounds (a long display pattern) is cut at the right edge, not
  // wrapped onto a second line that the bounds would cut in half.
  HWND label = AddPart(L"STATIC", Utf8ToWide(setup.text),
                       SS_LEFTNOWORDWRAP | SS_NOTIFY | SS_NOPREFIX, setup.id, setup.bounds);
  SetWindowSubclass(label, &Win32Label::Subclass, 0, reinterpret_cast<DWORD_PTR>(this));
  Layout();
}

Win32Label::~Win32Label() {
  RemoveWindowSubclass(handle(), &Win32Label::Subclass, 0);
}

void Win32Label::SetText(const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  std::string shown = WideToUtf8(wide);
  // The same text again would only repaint.
  if (shown == text_)
    return;
  SetWindowTextW(handle(), wide.c_str());
  text_ = std::move(shown);
  if (auto_size_)
    Layout();
}

void Win32Label::SetColors(std::optional<COLORREF> text, std::optional<COLORREF> background) {
  text_color_ = text;
  if (background != background_) {
    background_brush_.reset(background ? CreateSolidBrush(*background) : nullptr);
    background_ = background;
  }
  InvalidateRect(handle(), nullptr, TRUE);
}

void Win32Label::OnCommand(HWND, WORD code) {
  if (code == STN_CLICKED && OnClick)
    OnClick();
  else if (code == STN_DBLCLK && OnDoubleClick)
    OnDoubleClick();
}

HBRUSH Win32Label::OnColor(HWND, HDC dc) {
  if (!text_color_ && !background_)
    return nullptr;
  SetTextColor(dc, text_color_ ? *text_color_ : GetSysColor(COLOR_WINDOWTEXT));
  if (background_) {
    SetBkColor(dc, *background_);
    return background_brush_.get();
  }
  // The parent's face shows through, as for a label with the default colours.
  SetBkMode(dc, TRANSPARENT);
  return GetSysColorBrush(COLOR_BTNFACE);
}

void Win32Label::Layout() {
  if (!auto_size_) {
    Win32TextControl::Layout();
    return;
  }
  // Measure the text in the label's font at the current DPI.
  const std::wstring text = WindowText(handle());
  const WindowDc dc(handle());
  HGDIOBJ old_font = SelectObject(dc.get(), CurrentFont());
  SIZE extent{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  SelectObject(dc.get(), old_font);
  const Part& part = parts().front();
  SetWindowPos(handle(), nullptr, host().Scale(part.bounds.left), host().Scale(part.bounds.top),
               extent.cx, metrics.tmHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32Label::Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR, DWORD_PTR self) {
  if (message == WM_MOUSEMOVE) {
    auto* label = reinterpret_cast<Win32Label*>(self);
    if (label->OnMouseMove)
      label->OnMouseMove();
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace tempiko::win32
