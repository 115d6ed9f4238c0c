#include "win32/controls/spin_edit.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cwctype>

namespace tempiko::win32 {
namespace {

constexpr UINT_PTR kRepeatTimer = 0x5E01;  // apart from the arrow control's own timer ids

std::wstring RegionalDecimalSeparator() {
  wchar_t separator[8] = L".";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  return separator;
}

}  // namespace

std::optional<int> ParseWholeNumber(std::wstring_view text) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return std::nullopt;
  long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9')
      return std::nullopt;
    value = value * 10 + (c - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1)
      return std::nullopt;
  }
  value = negative ? -value : value;
  if (value < INT_MIN || value > INT_MAX)
    return std::nullopt;
  return static_cast<int>(value);
}

Win32SpinEdit::Win32SpinEdit(const ControlParent& parent, const ControlSpec& setup, SpinRange range)
    : Win32Control(parent, setup.font),
      range_(range),
      decimal_separator_(RegionalDecimalSeparator()) {
  const Bounds& b = setup.bounds;
  HWND edit = AddPart(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, setup.id,
                      {b.left, b.top, b.width - kArrowWidth, b.height}, WS_EX_CLIENTEDGE);
  // The arrows keep no value of their own (no buddy, no UDS_SETBUDDYINT): the field steps.
  HWND arrows = AddPart(UPDOWN_CLASSW, L"", 0, 0,
                        {b.left + b.width - kArrowWidth, b.top, kArrowWidth, b.height});
  SetWindowSubclass(edit, &Win32SpinEdit::EditSubclass, 0, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(arrows, &Win32SpinEdit::ArrowSubclass, 0, reinterpret_cast<DWORD_PTR>(this));
  SetValue(ParseWholeNumber(Utf8ToWide(setup.text)).value_or(range_.min));
}

Win32SpinEdit::~Win32SpinEdit() {
  StopRepeat();
  RemoveWindowSubclass(handle(), &Win32SpinEdit::EditSubclass, 0);
  RemoveWindowSubclass(arrows(), &Win32SpinEdit::ArrowSubclass, 0);
}

int Win32SpinEdit::Clamp(long long value) const {
  if (HasLimits())
    value = std::clamp<long long>(value, range_.min, range_.max);
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int Win32SpinEdit::Value() const {
  return Clamp(ParseWholeNumber(WindowText(handle())).value_or(range_.min));
}

void Win32SpinEdit::SetValue(int value) {
  writing_ = true;
  WriteValue(Clamp(value));
  writing_ = false;
}

void Win32SpinEdit::WriteValue(int value) {
  SetWindowTextW(handle(), std::to_wstring(value).c_str());
}

void Win32SpinEdit::Step(int direction) {
  WriteValue(Clamp(static_cast<long long>(Value()) + direction * range_.increment));
}

void Win32SpinEdit::OnCommand(HWND from, WORD code) {
  if (from != handle())
    return;
  if (code == EN_CHANGE && !writing_ && OnChange) {
    OnChange();
  } else if (code == EN_KILLFOCUS && HasLimits()) {
    // An out-of-range number goes back inside the limits; a text that is no number stays.
    const std::optional<int> typed = ParseWholeNumber(WindowText(handle()));
    if (typed && *typed != Clamp(*typed))
      WriteValue(Clamp(*typed));
  }
}

std::optional<LRESULT> Win32SpinEdit::OnNotify(const NMHDR& header) {
  // The arrow control would step a position of its own on its own schedule: refuse every
  // change; the field's mouse and timer handling steps the value.
  if (header.hwndFrom == arrows() && header.code == static_cast<UINT>(UDN_DELTAPOS))
    return TRUE;
  return std::nullopt;
}

bool Win32SpinEdit::AcceptsChar(wchar_t c) const {
  if (c < L' ')
    return c != L'\r';  // editing keys and clipboard shortcuts; Enter belongs to the window
  return (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' ||
         decimal_separator_.find(c) != std::wstring::npos;
}

void Win32SpinEdit::StartRepeat(int direction) {
  repeat_direction_ = direction;
  Step(direction);
  SetTimer(arrows(), kRepeatTimer, kFirstRepeatMs, nullptr);
}

void Win32SpinEdit::StopRepeat() {
  if (repeat_direction_ != 0)
    KillTimer(arrows(), kRepeatTimer);
  repeat_direction_ = 0;
}

LRESULT CALLBACK Win32SpinEdit::EditSubclass(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  auto* field = reinterpret_cast<Win32SpinEdit*>(self);
  if (message == WM_CHAR && !field->AcceptsChar(static_cast<wchar_t>(wparam))) {
    MessageBeep(MB_OK);
    return 0;
  }
  if (message == WM_KEYDOWN && (wparam == VK_UP || wparam == VK_DOWN)) {
    field->Step(wparam == VK_UP ? 1 : -1);
    return 0;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT CALLBACK Win32SpinEdit::ArrowSubclass(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  auto* field = reinterpret_cast<Win32SpinEdit*>(self);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The upper arrow counts up. The arrow control still draws the pressed arrow.
      RECT client{};
      GetClientRect(window, &client);
      const int y = static_cast<short>(HIWORD(lparam));
      field->StartRepeat(y < (client.bottom - client.top) / 2 ? 1 : -1);
      break;
    }
    case WM_TIMER:
      if (wparam == kRepeatTimer) {
        if (field->repeat_direction_ != 0) {
          field->Step(field->repeat_direction_);
          SetTimer(window, kRepeatTimer, kRepeatMs, nullptr);
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
    case WM_ENABLE:
      field->StopRepeat();
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace tempiko::win32
