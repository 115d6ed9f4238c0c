#include "win32/controls/panel.h"

namespace tempiko::win32 {
namespace {

constexpr wchar_t kPanelClass[] = L"TempikoPanel";

void RegisterPanelClass(WNDPROC procedure) {
  const WNDCLASSEXW panel{
      .cbSize = sizeof(WNDCLASSEXW),
      .style = 0,
      .lpfnWndProc = procedure,
      .cbClsExtra = 0,
      .cbWndExtra = 0,
      .hInstance = GetModuleHandleW(nullptr),
      .hIcon = nullptr,
      .hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)),  // IDC_ARROW
      .hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)),
      .lpszMenuName = nullptr,
      .lpszClassName = kPanelClass,
      .hIconSm = nullptr,
  };
  RegisterClassExW(&panel);  // a second registration fails harmlessly
}

}  // namespace

Win32Panel::Win32Panel(const ControlParent& parent, const ControlSpec& setup, Bevel bevel)
    : Win32Control(parent, setup.font), bevel_(bevel) {
  RegisterPanelClass(&Win32Panel::WindowProc);
  // WS_EX_CONTROLPARENT: the dialog manager's Tab and arrow keys reach the panel's controls.
  HWND panel =
      AddPart(kPanelClass, L"", WS_CLIPSIBLINGS, setup.id, setup.bounds, WS_EX_CONTROLPARENT);
  SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK Win32Panel::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* panel = reinterpret_cast<Win32Panel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!panel)
    return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      LRESULT result = 0;
      if (panel->host().Route(message, wparam, lparam, &result))
        return result;
      break;
    }
    case WM_MOUSEMOVE:
      if (panel->OnMouseMove)
        panel->OnMouseMove();
      return 0;
    case WM_PAINT:
      panel->Paint();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Win32Panel::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle(), &paint);
  if (bevel_ == Bevel::kLoweredOuterRaisedInner) {
    RECT client;
    GetClientRect(handle(), &client);
    DrawEdge(dc, &client, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
  }
  EndPaint(handle(), &paint);
}

Win32PageControl::Win32PageControl(const ControlParent& parent, const ControlSpec& setup,
                                   int page_count)
    : Win32Panel(parent, setup) {
  const ControlParent inside = Inside();
  for (int i = 0; i < page_count; ++i) {
    const ControlSpec page{.bounds = {0, 0, setup.bounds.width, setup.bounds.height},
                           .font = setup.font};
    pages_.push_back(std::make_unique<Win32Panel>(inside, page));
  }
  SetActivePage(0);
}

void Win32PageControl::SetActivePage(int index) {
  if (index < 0 || index >= PageCount())
    return;
  active_ = index;
  for (int i = 0; i < PageCount(); ++i)
    pages_[static_cast<std::size_t>(i)]->SetVisible(i == index);
}

}  // namespace tempiko::win32
