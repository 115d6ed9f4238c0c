#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// The limits and step of a number field. Limits of 0/0 mean none.
struct SpinRange {
  int min = 0;
  int max = 0;
  int increment = 1;
};

// The whole number a field's text holds (digits after an optional sign, blanks around them),
// or none.
std::optional<int> ParseWholeNumber(std::wstring_view text);

// A number field: an edit with up and down arrows beside it. The arrows and the Up and Down
// keys step the value by the increment; an arrow held down repeats first after 400 ms and then
// every 100 ms (the field's own timer; the arrow control's acceleration is not used). Typing
// accepts digits, the two signs and the regional decimal separator. A text that is not a whole
// number reads as the minimum; a field with limits keeps its value inside them and puts an
// out-of-range text back inside when it loses the focus.
class Win32SpinEdit : public Win32Control<ui::SpinEdit> {
 public:
  static constexpr UINT kFirstRepeatMs = 400;
  static constexpr UINT kRepeatMs = 100;
  static constexpr int kArrowWidth = 16;

  Win32SpinEdit(const ControlParent& parent, const ControlSpec& setup, SpinRange range);
  ~Win32SpinEdit() override;

  int Value() const override;
  void SetValue(int value) override;

  // The text as typed; SetText is what the user's typing or pasting would leave.
  std::string Text() const { return Utf8Text(handle()); }
  HWND arrows() const { return parts().back().window.get(); }

  // Raised when the user changes the value (typing, arrows, keys); not by SetValue.
  std::function<void()> OnChange;

  void OnCommand(HWND from, WORD code) override;
  std::optional<LRESULT> OnNotify(const NMHDR& header) override;

 private:
  static LRESULT CALLBACK EditSubclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK ArrowSubclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR self);
  bool HasLimits() const { return range_.min != 0 || range_.max != 0; }
  int Clamp(long long value) const;
  void Step(int direction);
  void WriteValue(int value);
  bool AcceptsChar(wchar_t c) const;
  void StartRepeat(int direction);
  void StopRepeat();

  SpinRange range_;
  std::wstring decimal_separator_;
  bool writing_ = false;
  int repeat_direction_ = 0;
};

}  // namespace tempiko::win32
