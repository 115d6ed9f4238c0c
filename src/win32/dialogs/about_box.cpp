#include "win32/dialogs/about_box.h"

#include <shellapi.h>

#include "win32/controls/button.h"
#include "win32/controls/control_host.h"
#include "win32/controls/label.h"
#include "win32/controls/panel.h"
#include "win32/controls/picture.h"
#include "win32/dialogs/dialog_template.h"
#include "win32/text_encoding.h"

namespace tempiko::win32 {
namespace {

constexpr int kClientWidth = 233;
constexpr int kClientHeight = 117;

void OpenWithShell(HWND window, const std::wstring& target) {
  // The result is not examined: a link with no associated program simply opens nothing.
  ShellExecuteW(window, L"open", target.c_str(), L"", L"", SW_SHOW);
}

}  // namespace

struct AboutBox::Controls {
  explicit Controls(HWND dialog) : host(dialog) {}
  ControlHost host;
  std::unique_ptr<Win32Panel> panel;
  std::unique_ptr<Win32Picture> program_icon;
  std::unique_ptr<Win32Label> product_name;
  std::unique_ptr<Win32Label> home_page;
  std::unique_ptr<Win32Label> mail;
  std::unique_ptr<Win32Button> ok;
};

AboutBox::AboutBox(HINSTANCE module, int icon_id)
    : module_(module), icon_id_(icon_id), open_link_(&OpenWithShell) {}

AboutBox::~AboutBox() = default;

INT_PTR AboutBox::ShowModal(HWND owner) {
  // An empty template: the controls are created in pixels once the box exists, so that the
  // layout is exact at every DPI.
  DialogTemplate layout(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, kAboutCaption, 0, 0);
  owner_ = owner;
  return DialogBoxIndirectParamW(module_, layout.get(), owner, &AboutBox::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK AboutBox::DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<AboutBox*>(lparam);
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    self->dialog_ = dialog;
  }
  auto* self = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self ? self->Handle(message, wparam, lparam) : FALSE;
}

INT_PTR AboutBox::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (controls_) {
    LRESULT result = 0;
    if (controls_->host.Route(message, wparam, lparam, &result)) {
      // A dialog procedure answers WM_CTLCOLOR* with the brush itself, the others through
      // DWLP_MSGRESULT.
      if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN || message == WM_CTLCOLOREDIT)
        return static_cast<INT_PTR>(result);
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
  switch (message) {
    case WM_INITDIALOG:
      CreateControls();
      PlaceWindow(owner_);
      SetFocus(controls_->ok->handle());
      return FALSE;  // the focus is set
    case WM_MOUSEMOVE:
      ShowLinksBlue();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog_, LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    case WM_DPICHANGED: {
      controls_->host.SetDpi(HIWORD(wparam));
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(dialog_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    case WM_DESTROY:
      controls_.reset();
      dialog_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

void AboutBox::CreateControls() {
  controls_ = std::make_unique<Controls>(dialog_);
  Controls& c = *controls_;
  c.panel = std::make_unique<Win32Panel>(
      c.host.Root(), ControlSpec{.id = kAboutPanelId, .bounds = {0, 0, 233, 89}},
      Win32Panel::Bevel::kLoweredOuterRaisedInner);
  const ControlParent panel = c.panel->Inside();
  c.program_icon = std::make_unique<Win32Picture>(
      panel, ControlSpec{.id = kAboutProgramIconId, .bounds = {8, 8, 32, 32}}, module_, icon_id_);
  const FontSpec large{.pixel_height = 16};
  c.product_name = std::make_unique<Win32Label>(panel, ControlSpec{.id = kAboutProductNameId,
                                                                   .bounds = {56, 16, 0, 0},
                                                                   .text = kAboutProductName,
                                                                   .font = large});
  c.home_page = std::make_unique<Win32Label>(
      panel, ControlSpec{.id = kAboutHomePageId, .bounds = {40, 48, 0, 0}, .text = kAboutHomePage});
  c.mail = std::make_unique<Win32Label>(
      panel, ControlSpec{.id = kAboutMailId, .bounds = {40, 64, 0, 0}, .text = kAboutMail});
  c.ok = std::make_unique<Win32Button>(
      c.host.Root(), ControlSpec{.id = kAboutOkId, .bounds = {79, 92, 74, 25}, .text = "OK"},
      Win32Button::Kind::kDefault);
  SendMessageW(dialog_, DM_SETDEFID, kAboutOkId, 0);

  for (Win32Label* link : {c.home_page.get(), c.mail.get()}) {
    link->SetColors(kLinkColor, std::nullopt);
    link->OnMouseMove = [link] { link->SetColors(kHoverColor, std::nullopt); };
    link->OnClick = [this, link] { open_link_(dialog_, Utf8ToWide(link->Text())); };
  }
  c.panel->OnMouseMove = [this] { ShowLinksBlue(); };
  c.ok->OnClick = [this] { EndDialog(dialog_, IDOK); };
}

void AboutBox::ShowLinksBlue() {
  if (!controls_)
    return;
  for (Win32Label* link : {controls_->home_page.get(), controls_->mail.get()}) {
    if (link->TextColor() != kLinkColor)
      link->SetColors(kLinkColor, std::nullopt);
  }
}

void AboutBox::PlaceWindow(HWND owner) {
  // The client area the layout needs at this DPI, centred on the screen that holds the owner.
  const ControlHost& host = controls_->host;
  RECT frame{
      .left = 0, .top = 0, .right = host.Scale(kClientWidth), .bottom = host.Scale(kClientHeight)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(dialog_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(dialog_, GWL_EXSTYLE)));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(dialog_, nullptr, screen.left + (screen.right - screen.left - width) / 2,
               screen.top + (screen.bottom - screen.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tempiko::win32
