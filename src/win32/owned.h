#pragma once

#include <windows.h>

#include <utility>

namespace tempiko::win32 {

// Owns one handle the program opened and releases it exactly once: when the owner ends, is
// reset or takes over another owner's handle. `Traits` names the handle's type, the value that
// means "none" and the call that releases it.
template <typename Traits>
class UniqueOwner {
 public:
  using Handle = typename Traits::Handle;

  UniqueOwner() = default;
  explicit UniqueOwner(Handle handle) : handle_(handle) {}
  ~UniqueOwner() { reset(); }
  UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::None(); }

  // Gives the handle up without releasing it: the system has already ended it.
  Handle release() { return std::exchange(handle_, Traits::None()); }

  // Releases the handle held, if any, and holds `handle` instead.
  void reset(Handle handle = Traits::None()) {
    const Handle old = std::exchange(handle_, handle);
    if (old != Traits::None())
      Traits::Release(old);
  }

  // For the calls that hand a new handle back through an argument (OpenProcessToken).
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::None();
};

// Kernel objects whose "none" is null: events, mutexes, tokens, threads.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { CloseHandle(handle); }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

// Files, whose "none" is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Release(Handle handle) { CloseHandle(handle); }
};
using UniqueFileHandle = UniqueOwner<FileHandleTraits>;

// A window is destroyed unless it is already gone: a child window dies with its parent, and a
// window may destroy itself when it is closed.
struct WindowTraits {
  using Handle = HWND;
  static Handle None() { return nullptr; }
  static void Release(Handle window) {
    if (IsWindow(window))
      DestroyWindow(window);
  }
};
using UniqueWindow = UniqueOwner<WindowTraits>;

// A menu that is no window's menu (a window destroys its own menu bar itself).
struct MenuTraits {
  using Handle = HMENU;
  static Handle None() { return nullptr; }
  static void Release(Handle menu) { DestroyMenu(menu); }
};
using UniqueMenu = UniqueOwner<MenuTraits>;

// Fonts, brushes and the other GDI objects, once no device context has them selected.
template <typename Object>
struct GdiObjectTraits {
  using Handle = Object;
  static Handle None() { return nullptr; }
  static void Release(Handle object) { DeleteObject(object); }
};
using UniqueFont = UniqueOwner<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueOwner<GdiObjectTraits<HBRUSH>>;

// An icon the program created or loaded for itself (LoadImage without LR_SHARED). Shared icons
// (LoadIcon) belong to the system and have no owner here.
struct IconTraits {
  using Handle = HICON;
  static Handle None() { return nullptr; }
  static void Release(Handle icon) { DestroyIcon(icon); }
};
using UniqueIcon = UniqueOwner<IconTraits>;

// Memory the system allocated for the caller with LocalAlloc (CommandLineToArgvW's array).
template <typename Pointer>
struct LocalMemoryTraits {
  using Handle = Pointer;
  static Handle None() { return nullptr; }
  static void Release(Handle memory) { LocalFree(memory); }
};
template <typename Pointer>
using UniqueLocalMemory = UniqueOwner<LocalMemoryTraits<Pointer>>;

// A COM interface pointer the program was handed: released once, when the owner ends.
template <typename Interface>
struct ComTraits {
  using Handle = Interface*;
  static Handle None() { return nullptr; }
  static void Release(Handle object) { object->Release(); }
};
template <typename Interface>
using UniqueCom = UniqueOwner<ComTraits<Interface>>;

// The device context of a window's client area (of the screen for no window), released when
// the owner ends.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_)
      ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace tempiko::win32
