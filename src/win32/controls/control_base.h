#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32/controls/control_host.h"
#include "win32/owned.h"
#include "win32/text_encoding.h"

namespace tempiko::win32 {

// What every control is created with: its child-window id (so a test probe can find it with
// GetDlgItem), its place and size, its caption or text (UTF-8) and its font.
struct ControlSpec {
  int id = 0;
  Bounds bounds = {};
  std::string text = {};
  FontSpec font = {};
};

// The child windows of one control (an edit and its arrows, a group and its radio buttons...).
// They are created visible and enabled, placed through the host's DPI scale, given the
// control's font, and destroyed with the object. Tab order follows the order of creation.
class ControlBase : public MessageTarget {
 public:
  ~ControlBase() override;
  ControlBase(const ControlBase&) = delete;
  ControlBase& operator=(const ControlBase&) = delete;

  // The control's main window (the first one created).
  HWND handle() const { return parts_.empty() ? nullptr : parts_.front().window.get(); }
  ControlHost& host() const { return *parent_.host; }

  void OnDpiChanged() override;

 protected:
  ControlBase(const ControlParent& parent, FontSpec font);

  // Creates a child window of the parent at `bounds` (relative to the parent's origin).
  HWND AddPart(const wchar_t* class_name, const std::wstring& text, DWORD style, int id,
               const Bounds& bounds, DWORD ex_style = 0);
  // Creates a child window inside another window (a page, a panel) of this control.
  HWND AddPartIn(HWND parent, const wchar_t* class_name, const std::wstring& text, DWORD style,
                 int id, const Bounds& bounds, DWORD ex_style = 0);
  void SetPartBounds(std::size_t index, const Bounds& bounds);
  void SetFont(const FontSpec& font);
  const FontSpec& font() const { return font_; }
  HFONT CurrentFont() const { return host().Font(font_); }

  bool PartsEnabled() const;
  void EnableParts(bool enabled);
  // The control's own visibility flag: true also while the page it sits on is hidden.
  bool PartsVisible() const;
  void ShowParts(bool visible);

  std::wstring WindowText(HWND window) const;
  std::string Utf8Text(HWND window) const;

  struct Part {
    UniqueWindow window;
    HWND parent;
    Bounds bounds;  // relative to the parent window, origin applied
  };
  const std::vector<Part>& parts() const { return parts_; }
  // Places one part at the host's scale; controls that size themselves override Layout.
  void PlacePart(const Part& part) const;
  virtual void Layout();

 private:
  ControlParent parent_;
  FontSpec font_;
  std::vector<Part> parts_;
};

// The enabled and visible state of a port's control, carried by its windows.
template <typename Port>
class Win32Control : public Port, public ControlBase {
 public:
  bool Enabled() const override { return PartsEnabled(); }
  void SetEnabled(bool enabled) override { EnableParts(enabled); }
  bool Visible() const override { return PartsVisible(); }
  void SetVisible(bool visible) override { ShowParts(visible); }

 protected:
  using ControlBase::ControlBase;
};

// A control whose text is its main window's text.
template <typename Port>
class Win32TextControl : public Win32Control<Port> {
 public:
  std::string Text() const override { return this->Utf8Text(this->handle()); }
  void SetText(const std::string& text) override;

 protected:
  using Win32Control<Port>::Win32Control;
};

template <typename Port>
void Win32TextControl<Port>::SetText(const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  // The same text again would only repaint: the status bar is set again and again.
  if (this->WindowText(this->handle()) == wide)
    return;
  SetWindowTextW(this->handle(), wide.c_str());
}

}  // namespace tempiko::win32
