#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// A static text. With a width of 0 in its bounds it sizes itself to its text (one line), as
// it does again after every change of text. Its colours can be set: lime on black for the
// correction amount, aqua on black for the clock, blue or red for a link. Click, double-click
// and mouse movement are reported.
//
// The label keeps its text as last set, and answers and compares with that copy: the clock
// label is looked at a hundred times a second, and asking the window for its text goes through
// the subclass's window property, a round trip to wineserver under Wine at every message.
class Win32Label : public Win32TextControl<ui::Label> {
 public:
  Win32Label(const ControlParent& parent, const ControlSpec& setup);
  ~Win32Label() override;

  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override;

  // No value: the system's colour (the text colour, or the parent's background).
  void SetColors(std::optional<COLORREF> text, std::optional<COLORREF> background);
  std::optional<COLORREF> TextColor() const { return text_color_; }

  std::function<void()> OnClick;
  std::function<void()> OnDoubleClick;
  std::function<void()> OnMouseMove;

  void OnCommand(HWND from, WORD code) override;
  HBRUSH OnColor(HWND from, HDC dc) override;

 protected:
  void Layout() override;

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);

  bool auto_size_;
  std::string text_;  // as the window gives it back (valid UTF-8)
  std::optional<COLORREF> text_color_;
  std::optional<COLORREF> background_;
  UniqueBrush background_brush_;
};

}  // namespace tempiko::win32
