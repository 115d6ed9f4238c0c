#include "win32/controls/control_base.h"

namespace tempiko::win32 {

ControlBase::ControlBase(const ControlParent& parent, FontSpec font)
    : parent_(parent), font_(std::move(font)) {
  host().AddControl(this);
}

ControlBase::~ControlBase() {
  host().RemoveControl(this);
  // Destroy in reverse order: parts created inside other parts (pages) go first.
  for (auto part = parts_.rbegin(); part != parts_.rend(); ++part) {
    host().Detach(part->window.get());
    part->window.reset();
  }
}

HWND ControlBase::AddPart(const wchar_t* class_name, const std::wstring& text, DWORD style, int id,
                          const Bounds& bounds, DWORD ex_style) {
  return AddPartIn(parent_.window, class_name, text, style, id, parent_.Place(bounds), ex_style);
}

HWND ControlBase::AddPartIn(HWND parent, const wchar_t* class_name, const std::wstring& text,
                            DWORD style, int id, const Bounds& bounds, DWORD ex_style) {
  const ControlHost& scale = host();
  UniqueWindow window(CreateWindowExW(
      ex_style, class_name, text.c_str(), style | WS_CHILD | WS_VISIBLE, scale.Scale(bounds.left),
      scale.Scale(bounds.top), scale.Scale(bounds.width), scale.Scale(bounds.height), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr));
  if (!window)
    return nullptr;
  HWND handle = window.get();
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), FALSE);
  parts_.push_back({std::move(window), parent, bounds});
  host().Attach(handle, this);
  return handle;
}

void ControlBase::SetPartBounds(std::size_t index, const Bounds& bounds) {
  Part& part = parts_.at(index);
  part.bounds = parent_.window == part.parent ? parent_.Place(bounds) : bounds;
  PlacePart(part);
}

void ControlBase::SetFont(const FontSpec& font) {
  font_ = font;
  for (const Part& part : parts_)
    SendMessageW(part.window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), TRUE);
  Layout();
}

void ControlBase::PlacePart(const Part& part) const {
  const ControlHost& scale = host();
  SetWindowPos(part.window.get(), nullptr, scale.Scale(part.bounds.left),
               scale.Scale(part.bounds.top), scale.Scale(part.bounds.width),
               scale.Scale(part.bounds.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlBase::Layout() {
  for (const Part& part : parts_)
    PlacePart(part);
}

void ControlBase::OnDpiChanged() {
  for (const Part& part : parts_)
    SendMessageW(part.window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), FALSE);
  Layout();
  for (const Part& part : parts_)
    InvalidateRect(part.window.get(), nullptr, TRUE);
}

bool ControlBase::PartsEnabled() const {
  return handle() && IsWindowEnabled(handle());
}

void ControlBase::EnableParts(bool enabled) {
  for (const Part& part : parts_)
    EnableWindow(part.window.get(), enabled);
}

bool ControlBase::PartsVisible() const {
  return handle() && (GetWindowLongW(handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void ControlBase::ShowParts(bool visible) {
  for (const Part& part : parts_)
    ShowWindow(part.window.get(), visible ? SW_SHOWNA : SW_HIDE);
}

std::wstring ControlBase::WindowText(HWND window) const {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::string ControlBase::Utf8Text(HWND window) const {
  return WideToUtf8(WindowText(window));
}

}  // namespace tempiko::win32
