#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "win32/owned.h"

namespace tempiko::win32 {

// A control's place and size in pixels at 96 DPI, relative to the client area of the window
// (or group) it sits on. The host scales it to the monitor's DPI.
struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// A font by face, height in pixels at 96 DPI and character set. The window's font is the
// default: "ＭＳ Ｐゴシック", 12 pixels, Shift-JIS.
struct FontSpec {
  std::wstring face = L"ＭＳ Ｐゴシック";
  int pixel_height = 12;
  BYTE charset = SHIFTJIS_CHARSET;
  int weight = FW_NORMAL;

  bool operator==(const FontSpec&) const = default;
  auto Key() const { return std::tie(face, pixel_height, charset, weight); }
};

// The DPI of a window's monitor (96 on systems without per-monitor DPI).
UINT WindowDpi(HWND window);

// What a parent window passes on to the control object behind one of its child windows.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // WM_COMMAND with a notification code (BN_CLICKED, STN_DBLCLK, EN_CHANGE...).
  virtual void OnCommand(HWND /*from*/, WORD /*code*/) {}
  // WM_NOTIFY; a value when the control answered it.
  virtual std::optional<LRESULT> OnNotify(const NMHDR& /*header*/) { return std::nullopt; }
  // WM_CTLCOLORSTATIC/EDIT/BTN: the brush to paint with, or null for the default colours.
  virtual HBRUSH OnColor(HWND /*from*/, HDC /*dc*/) { return nullptr; }
  // The monitor's DPI changed: place and size the windows anew and take the new fonts.
  virtual void OnDpiChanged() {}
};

class ControlHost;

// Where a control is created: a window of the host and an origin inside it (96-DPI pixels),
// so that the controls of a group box are placed relative to the group.
struct ControlParent {
  ControlHost* host = nullptr;
  HWND window = nullptr;
  int left = 0;
  int top = 0;

  ControlParent Offset(int dx, int dy) const { return {host, window, left + dx, top + dy}; }
  Bounds Place(const Bounds& bounds) const {
    return {left + bounds.left, top + bounds.top, bounds.width, bounds.height};
  }
};

// The controls of one top-level window (the main window or a dialog). Its window procedure
// hands WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR* to `Route`, which finds the control object by
// the child window that sent the message; panels of the host route theirs the same way. The
// host also owns the fonts at the current DPI and re-lays every control out when it changes.
class ControlHost {
 public:
  explicit ControlHost(HWND window);
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  HWND window() const { return window_; }
  ControlParent Root() { return {this, window_, 0, 0}; }

  UINT dpi() const { return dpi_; }
  int Scale(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), 96); }
  // The font at the current DPI; the host keeps it until the DPI changes or the host ends.
  HFONT Font(const FontSpec& setup);

  // The button that Enter presses (answers DM_GETDEFID for a window that is not a dialog).
  void SetDefaultButton(int id) { default_button_ = id; }

  // Routes a message of the host window or of one of its panels. True when a control
  // handled it; `result` is then the window procedure's answer.
  bool Route(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);

  // Per-monitor DPI (WM_DPICHANGED): every control is placed, sized and given fonts anew.
  void SetDpi(UINT dpi);

  // Used by the controls themselves.
  void Attach(HWND control, MessageTarget* target) { targets_[control] = target; }
  void Detach(HWND control) { targets_.erase(control); }
  void AddControl(MessageTarget* control) { controls_.push_back(control); }
  void RemoveControl(MessageTarget* control);

 private:
  MessageTarget* Find(HWND control) const;

  HWND window_;
  UINT dpi_;
  int default_button_ = 0;
  std::unordered_map<HWND, MessageTarget*> targets_;
  std::vector<MessageTarget*> controls_;
  std::map<std::tuple<std::wstring, int, BYTE, int>, UniqueFont> fonts_;
};

}  // namespace tempiko::win32
