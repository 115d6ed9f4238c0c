#include "win32/main_window.h"

#include <commctrl.h>

#include "sync/date_format.h"
#include "win32/resource.h"
#include "win32/text_encoding.h"
#include "win32/win32_locale.h"

namespace tempiko::win32 {
namespace {

constexpr UINT_PTR kClockTimer = 1;
constexpr int kClientWidth = 297;
constexpr int kClientHeight = 182;
constexpr int kClockLabelId = 104;
constexpr char kDefaultPattern[] = "yyyy/mm/dd AMPM hh:nn:ss";

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi)
    return get_dpi(window);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

HFONT MakeFont(int pixel_height, const wchar_t* face) {
  return CreateFontW(-pixel_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

bool MainWindow::Create(HINSTANCE instance, int show_command) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &MainWindow::WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TEMPIKO));
  window_class.hIconSm = window_class.hIcon;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kClassName;
  if (!RegisterClassExW(&window_class))
    return false;

  locale_ = ReadUserLocale();
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  window_ = CreateWindowExW(0, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            kClientWidth, kClientHeight, nullptr, nullptr, instance, this);
  if (!window_)
    return false;

  // Size the frame around the client area the layout needs, at this monitor's scale, and
  // centre it on the screen.
  RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
  CreateControls();
  RefreshClock();
  SetTimer(window_, kClockTimer, 10, nullptr);
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
  return true;
}

void MainWindow::CreateControls() {
  font_ = MakeFont(Scale(12), L"ＭＳ Ｐゴシック");
  clock_font_ = MakeFont(Scale(13), L"ＭＳ Ｐゴシック");
  black_ = CreateSolidBrush(RGB(0, 0, 0));
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND group =
      CreateWindowExW(0, L"BUTTON", L"マイコンピュータ", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0,
                      Scale(96), Scale(233), Scale(57), window_, nullptr, instance, nullptr);
  HWND caption =
      CreateWindowExW(0, L"STATIC", L"現在時刻", WS_CHILD | WS_VISIBLE, Scale(48), Scale(112),
                      Scale(60), Scale(14), window_, nullptr, instance, nullptr);
  clock_label_ = CreateWindowExW(0, L"STATIC", L"0", WS_CHILD | WS_VISIBLE | SS_LEFT, Scale(48),
                                 Scale(128), Scale(177), Scale(17), window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kClockLabelId)),
                                 instance, nullptr);
  for (HWND control : {group, caption}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  SendMessageW(clock_label_, WM_SETFONT, reinterpret_cast<WPARAM>(clock_font_), FALSE);
}

void MainWindow::RefreshClock() {
  const std::wstring text =
      Utf8ToWide(sync::FormatDateTime(kDefaultPattern, clock_.LocalNow(), locale_));
  wchar_t shown[128];
  GetWindowTextW(clock_label_, shown, 128);
  if (text != shown)
    SetWindowTextW(clock_label_, text.c_str());
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    self->dpi_ = WindowDpi(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->Handle(message, wparam, lparam)
              : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kClockTimer)
        RefreshClock();
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == clock_label_) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, RGB(0, 255, 255));  // aqua on black
        SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(black_);
      }
      break;
    case WM_DESTROY:
      KillTimer(window_, kClockTimer);
      DeleteObject(font_);
      DeleteObject(clock_font_);
      DeleteObject(black_);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace tempiko::win32
