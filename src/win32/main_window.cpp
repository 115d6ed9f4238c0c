#include "win32/main_window.h"

#include <shellapi.h>

#include <iterator>

#include "app/builtin_servers.h"
#include "app/program_start.h"
#include "win32/dialogs/about_box.h"
#include "win32/dialogs/input_dialog.h"
#include "win32/error_box.h"
#include "win32/process_start.h"
#include "win32/resource.h"
#include "win32/text_encoding.h"

namespace tempiko::win32 {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kAqua = RGB(0, 255, 255);

// Child-window ids, so that a test probe finds each control with GetDlgItem.
enum ControlId : int {
  kGroupBox1 = 110,
  kImage1,
  kComboBox1,
  kLabel2,
  kLabel1,
  kGroupBox2 = 120,
  kImage2,
  kLabel3,
  kLabel4,
  kButton1 = 131,
  kButton2,
  kButton3,
  kButton4,
  kButton5,
  kButton6,
  kButton7,
  kStatusBar1 = 140,
  kPageControl1 = 150,
  kMemo1,
  kGroupBox5 = 160,
  kLabel8,
  kSpinEdit4,
  kGroupBox4,
  kComboBox2,
  kGroupBox3,
  kSpinEdit2,
  kLabel6,
  kRadioGroup1,
  kSpinEdit1,
  kLabel5,
  kCheckBox1,
  kSpinEdit3,
  kLabel7,
};

FontSpec ClockFont() {
  FontSpec font;
  font.pixel_height = 13;
  return font;
}

// The notification-area icon's record: the main window's icon 1, reporting its mouse messages
// to the window, with the title as its tip.
NOTIFYICONDATAW TrayIconRecord(HWND window, HICON icon) {
  NOTIFYICONDATAW record{.cbSize = sizeof(NOTIFYICONDATAW),
                         .hWnd = window,
                         .uID = 1,
                         .uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP,
                         .uCallbackMessage = MainWindow::kTrayMessage,
                         .hIcon = icon,
                         .szTip = {},
                         .dwState = 0,
                         .dwStateMask = 0,
                         .szInfo = {},
                         .uTimeout = 0,
                         .szInfoTitle = {},
                         .dwInfoFlags = 0,
                         .guidItem = {},
                         .hBalloonIcon = nullptr};
  wcsncpy(record.szTip, MainWindow::kTitle, std::size(record.szTip) - 1);
  return record;
}

}  // namespace

struct MainWindow::Controls {
  std::unique_ptr<Win32GroupBox> GroupBox1, GroupBox2, GroupBox3, GroupBox4, GroupBox5;
  std::unique_ptr<Win32Picture> Image1, Image2;
  std::unique_ptr<Win32ComboBox> ComboBox1, ComboBox2;
  std::unique_ptr<Win32Label> Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8;
  std::unique_ptr<Win32Button> Button1, Button2, Button3, Button4, Button5, Button6, Button7;
  std::unique_ptr<Win32StatusBar> StatusBar1;
  std::unique_ptr<Win32PageControl> PageControl1;
  std::unique_ptr<Win32Memo> Memo1;
  std::unique_ptr<Win32SpinEdit> SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4;
  std::unique_ptr<Win32CheckBox> CheckBox1;
  std::unique_ptr<Win32RadioGroup> RadioGroup1;
};

MainWindow::MainWindow(HINSTANCE instance, const MainWindowPorts& ports)
    : instance_(instance), ports_(ports) {
  for (const char* name : app::kBuiltInServers)
    builtin_servers_.emplace_back(name);
}

MainWindow::~MainWindow() {
  form_.reset();
  controls_.reset();
  host_.reset();
  window_.reset();
  application_.reset();
}

void MainWindow::Create() {
  icon_ = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_TEMPIKO));
  CreateApplicationWindow();

  const WNDCLASSEXW window_class{
      .cbSize = sizeof(WNDCLASSEXW),
      .style = CS_DBLCLKS,
      .lpfnWndProc = &MainWindow::WindowProc,
      .cbClsExtra = 0,
      .cbWndExtra = 0,
      .hInstance = instance_,
      .hIcon = icon_,
      .hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)),  // IDC_ARROW
      .hbrBackground = GetSysColorBrush(COLOR_BTNFACE),
      .lpszMenuName = nullptr,
      .lpszClassName = kClassName,
      .hIconSm = icon_,
  };
  if (!RegisterClassExW(&window_class))
    ThrowWindowRefused();
  // Owned by the application's window, which carries the taskbar button. The window procedure
  // takes the handle into window_ as the window is made.
  if (!CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, kTitle, kStyle, 0, 0, 0, 0,
                       application_.get(), nullptr, instance_, this))
    ThrowWindowRefused();
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");

  host_ = std::make_unique<ControlHost>(window_.get());
  BuildControls();
  SetClientWidth(app::TForm1::kNarrowWidth);
  RECT frame;
  GetWindowRect(window_.get(), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window_.get(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOZORDER | SWP_NOSIZE);

  Controls& c = *controls_;
  app::Form1Ports form_ports{
      {*c.ComboBox1, *c.Label1, *c.Label4, *c.Button1, *c.Button2, *c.Button5, *c.Button6,
       *c.Button7, *c.StatusBar1, *c.Memo1, *c.Button3, *c.Button4, *c.SpinEdit1, *c.SpinEdit2,
       *c.SpinEdit3, *c.SpinEdit4, *c.CheckBox1, *c.RadioGroup1, *c.ComboBox2},
      *this,
      ports_.timers,
      ports_.window_thread,
      ports_.workers,
      ports_.clock,
      ports_.resolver,
      ports_.sockets,
      ports_.settings,
      ports_.locale,
      builtin_servers_,
      ComputerName()};
  form_ = std::make_unique<app::TForm1>(form_ports);
  BindEvents();
  AppendSystemMenu();
  Guarded([this] { form_->FormCreate(); });
}

std::string MainWindow::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? WideToUtf8(std::wstring_view(name, size)) : "";
}

void MainWindow::CreateApplicationWindow() {
  const WNDCLASSEXW window_class{
      .cbSize = sizeof(WNDCLASSEXW),
      .style = 0,
      .lpfnWndProc = &MainWindow::ApplicationProc,
      .cbClsExtra = 0,
      .cbWndExtra = 0,
      .hInstance = instance_,
      .hIcon = icon_,
      .hCursor = nullptr,
      .hbrBackground = nullptr,
      .lpszMenuName = nullptr,
      .lpszClassName = kApplicationClass,
      .hIconSm = icon_,
  };
  if (!RegisterClassExW(&window_class))
    ThrowWindowRefused();
  // A window of no size that is never seen itself: it carries the taskbar button and the
  // title, and minimising it minimises the program.
  application_.reset(
      CreateWindowExW(0, kApplicationClass, kTitle,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                      nullptr, nullptr, instance_, this));
  if (!application_)
    ThrowWindowRefused();
}

void MainWindow::BuildControls() {
  auto c = std::make_unique<Controls>();
  const ControlParent root = host_->Root();
  const FontSpec font;

  c->GroupBox1 = std::make_unique<Win32GroupBox>(
      root, ControlSpec{kGroupBox1, {0, 0, 233, 89}, "NTPサーバー", font});
  const ControlParent group1 = c->GroupBox1->Inside();
  c->Image1 = std::make_unique<Win32Picture>(
      group1, ControlSpec{kImage1, {8, 32, 33, 33}, "", font}, instance_, IDI_SERVER);
  c->ComboBox1 = std::make_unique<Win32ComboBox>(
      group1, ControlSpec{kComboBox1, {48, 18, 177, 200}, "", font});
  c->Label2 = std::make_unique<Win32Label>(
      group1, ControlSpec{kLabel2, {48, 48, 60, 13}, "補正時間", font});
  c->Label1 = std::make_unique<Win32Label>(
      group1, ControlSpec{kLabel1, {48, 64, 177, 17}, "±0", ClockFont()});
  c->Label1->SetColors(kLime, kBlack);

  c->GroupBox2 = std::make_unique<Win32GroupBox>(
      root, ControlSpec{kGroupBox2, {0, 96, 233, 57}, "マイコンピュータ", font});
  const ControlParent group2 = c->GroupBox2->Inside();
  c->Image2 = std::make_unique<Win32Picture>(
      group2, ControlSpec{kImage2, {8, 16, 32, 32}, "", font}, instance_, IDI_COMPUTER);
  c->Label3 = std::make_unique<Win32Label>(
      group2, ControlSpec{kLabel3, {48, 16, 60, 13}, "現在時刻", font});
  c->Label4 = std::make_unique<Win32Label>(
      group2, ControlSpec{kLabel4, {48, 32, 177, 17}, "0", ClockFont()});
  c->Label4->SetColors(kAqua, kBlack);

  const auto button = [&](int id, int top, const char* caption,
                          Win32Button::Kind kind = Win32Button::Kind::kPush) {
    return std::make_unique<Win32Button>(root, ControlSpec{id, {240, top, 57, 25}, caption, font},
                                         kind);
  };
  c->Button1 = button(kButton1, 4, "接続", Win32Button::Kind::kDefault);
  c->Button2 = button(kButton2, 35, "終了");
  c->Button6 = button(kButton6, 66, "詳細 >>");
  c->Button5 = button(kButton5, 97, "0 補正");
  c->Button7 = button(kButton7, 128, "ｵﾌﾟｼｮﾝ");
  c->Button7->SetVisible(false);
  host_->SetDefaultButton(kButton1);

  c->StatusBar1 = std::make_unique<Win32StatusBar>(
      root, ControlSpec{kStatusBar1, {0, 158, 297, 24}, "最終更新日＞", font});

  c->PageControl1 = std::make_unique<Win32PageControl>(
      root, ControlSpec{kPageControl1, {304, 0, 265, 182}, "", font});
  const ControlParent log_page = c->PageControl1->Page(0);
  c->Memo1 = std::make_unique<Win32Memo>(log_page, ControlSpec{kMemo1, {0, 0, 265, 182}, "", font});

  const ControlParent options = c->PageControl1->Page(1);
  c->GroupBox5 = std::make_unique<Win32GroupBox>(
      options, ControlSpec{kGroupBox5, {0, 3, 124, 57}, "スタートアップ", font});
  const ControlParent group5 = c->GroupBox5->Inside();
  c->Button3 =
      std::make_unique<Win32Button>(group5, ControlSpec{kButton3, {6, 14, 44, 19}, "登録", font});
  c->Button4 =
      std::make_unique<Win32Button>(group5, ControlSpec{kButton4, {6, 34, 44, 19}, "削除", font});
  c->Label8 =
      std::make_unique<Win32Label>(group5, ControlSpec{kLabel8, {56, 14, 60, 13}, "遅延(S)", font});
  c->SpinEdit4 = std::make_unique<Win32SpinEdit>(
      group5, ControlSpec{kSpinEdit4, {56, 30, 62, 21}, "0", font}, SpinRange{0, 999, 1});

  c->GroupBox4 = std::make_unique<Win32GroupBox>(
      options, ControlSpec{kGroupBox4, {128, 3, 129, 57}, "接続先", font});
  c->ComboBox2 = std::make_unique<Win32ComboBox>(
      c->GroupBox4->Inside(), ControlSpec{kComboBox2, {8, 22, 113, 200}, "", font});

  c->GroupBox3 = std::make_unique<Win32GroupBox>(
      options, ControlSpec{kGroupBox3, {0, 64, 137, 57}, "簡易補正時間", font});
  const ControlParent group3 = c->GroupBox3->Inside();
  c->SpinEdit2 = std::make_unique<Win32SpinEdit>(
      group3, ControlSpec{kSpinEdit2, {8, 24, 80, 21}, "0", font}, SpinRange{0, 0, 100});
  c->Label6 =
      std::make_unique<Win32Label>(group3, ControlSpec{kLabel6, {94, 28, 40, 13}, "ミリ秒", font});

  c->RadioGroup1 = std::make_unique<Win32RadioGroup>(
      options, ControlSpec{kRadioGroup1, {142, 64, 115, 57}, "起動時オプション", font},
      std::vector<std::string>{"NTPｻｰﾊﾞに接続", "簡易補正"});

  c->SpinEdit1 = std::make_unique<Win32SpinEdit>(
      options, ControlSpec{kSpinEdit1, {1, 129, 57, 21}, "200", font}, SpinRange{0, 10000, 100});
  c->Label5 = std::make_unique<Win32Label>(
      options, ControlSpec{kLabel5, {61, 133, 190, 13}, "ミリ秒以内の誤差は補正しない", font});
  c->CheckBox1 = std::make_unique<Win32CheckBox>(
      options, ControlSpec{kCheckBox1, {1, 154, 138, 17}, "代理サーバとして利用", font});
  c->SpinEdit3 = std::make_unique<Win32SpinEdit>(
      options, ControlSpec{kSpinEdit3, {142, 150, 41, 21}, "0", font}, SpinRange{0, 0, 1});
  c->Label7 = std::make_unique<Win32Label>(
      options, ControlSpec{kLabel7, {186, 154, 76, 13}, "時間毎に補正", font});

  c->PageControl1->SetActivePage(1);  // the options page is in view at start
  c->PageControl1->SetVisible(false);
  controls_ = std::move(c);
}

void MainWindow::BindEvents() {
  Controls& c = *controls_;
  const auto guard = [this](void (app::TForm1::*handler)()) {
    return [this, handler] { Guarded([this, handler] { (form_.get()->*handler)(); }); };
  };
  c.Button2->OnClick = guard(&app::TForm1::Button2Click);
  c.Button5->OnMouseDown = guard(&app::TForm1::Button5MouseDown);
  c.Button6->OnClick = guard(&app::TForm1::Button6Click);
  c.Button7->OnClick = guard(&app::TForm1::Button7Click);
  c.CheckBox1->OnClick = guard(&app::TForm1::CheckBox1Click);
  c.SpinEdit3->OnChange = guard(&app::TForm1::CheckBox1Click);
  c.Label4->OnDoubleClick = guard(&app::TForm1::Label4DblClick);
  for (Win32Label* label : {c.Label1.get(), c.Label2.get(), c.Label3.get()}) {
    label->OnClick = guard(&app::TForm1::FormClick);
  }
  c.Image2->OnClick = guard(&app::TForm1::FormClick);
  c.StatusBar1->OnClick = guard(&app::TForm1::FormClick);
  // Button1's click belongs to the run, which binds it itself; the guard shows its failures.
  const auto run_click = c.Button1->OnClick;
  c.Button1->OnClick = [this, run_click] {
    if (run_click)
      Guarded(run_click);
  };
}

void MainWindow::AppendSystemMenu() {
  HMENU menu = GetSystemMenu(window_.get(), FALSE);
  for (int i = 0; i < app::TForm1::kSystemMenuEntries; ++i) {
    const app::MenuItem& item = app::TForm1::kPopupMenu1[static_cast<std::size_t>(i)];
    InsertMenuW(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING,
                static_cast<UINT_PTR>(item.command), Utf8ToWide(item.caption).c_str());
  }
}

void MainWindow::ShowAtStart(int show_command) {
  if (keep_hidden_)
    return;
  ShowWindow(application_.get(), SW_SHOWNORMAL);
  ShowWindow(window_.get(), show_command == SW_SHOWMINIMIZED ? SW_SHOWNORMAL : show_command);
  UpdateWindow(window_.get());
}

std::string MainWindow::FirstArgument() {
  return win32::FirstArgument();
}

void MainWindow::ShowMainWindow() {
  ShowWindow(application_.get(), SW_SHOWNA);
  ShowWindow(window_.get(), SW_SHOW);
}

void MainWindow::HideMainWindow() {
  ShowWindow(window_.get(), SW_HIDE);
}

void MainWindow::BringToFront() {
  SetForegroundWindow(window_.get());
}

void MainWindow::CloseMainWindow() {
  PostMessageW(window_.get(), WM_CLOSE, 0, 0);
}

void MainWindow::SetClientWidth(int width) {
  client_width_ = width;
  RECT frame{0, 0, host_->Scale(width), host_->Scale(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_CONTROLPARENT);
  SetWindowPos(window_.get(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void MainWindow::SetDetailsVisible(bool visible) {
  controls_->PageControl1->SetVisible(visible);
}

void MainWindow::ShowPage(int page) {
  controls_->PageControl1->SetActivePage(page - 1);
}

void MainWindow::RestoreApplication() {
  ShowWindow(application_.get(), SW_RESTORE);
}

void MainWindow::MinimizeApplication() {
  ShowWindow(application_.get(), SW_MINIMIZE);
}

bool MainWindow::AddTrayIcon() {
  NOTIFYICONDATAW data = TrayIconRecord(window_.get(), icon_);
  // Adding an icon that exists fails; modifying it then keeps a single icon.
  return Shell_NotifyIconW(NIM_ADD, &data) || Shell_NotifyIconW(NIM_MODIFY, &data);
}

void MainWindow::RemoveTrayIcon() {
  NOTIFYICONDATAW data = TrayIconRecord(window_.get(), icon_);
  Shell_NotifyIconW(NIM_DELETE, &data);
}

void MainWindow::ShowTrayMenu() {
  const UniqueMenu menu(CreatePopupMenu());
  for (const app::MenuItem& item : app::TForm1::kPopupMenu1) {
    if (std::string_view(item.caption) == "-") {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(item.command),
                  Utf8ToWide(item.caption).c_str());
    }
  }
  TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, tray_cursor_.x, tray_cursor_.y, 0, window_.get(),
                 nullptr);
}

void MainWindow::OpenHelp() {
  ShellExecuteW(window_.get(), L"open", L"Tempiko.htm", L"", L"", SW_SHOW);
}

void MainWindow::ShowAboutBox() {
  TAboutBox box(instance_, IDI_TEMPIKO);
  box.ShowModal(window_.get());
}

std::optional<std::string> MainWindow::AskPattern(const std::string& current) {
  return AskDateTimePattern(window_.get(), current);
}

void MainWindow::ShowError(const std::string& text) {
  ShowErrorBox(window_.get(), text);
}

void MainWindow::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void MainWindow::OnTrayMessage(LPARAM lparam) {
  GetCursorPos(&tray_cursor_);
  bool handled = false;
  Guarded([&] { handled = form_->TrayIconMessage(static_cast<int>(lparam)); });
  if (!handled)
    DefWindowProcW(window_.get(), kTrayMessage, 0, lparam);
}

void MainWindow::OnDpiChanged(UINT dpi) {
  host_->SetDpi(dpi);
  SetClientWidth(client_width_);
}

LRESULT CALLBACK MainWindow::ApplicationProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Closing the taskbar button's window closes the program's main window.
  if (self && message == WM_CLOSE) {
    self->CloseMainWindow();
    return 0;
  }
  // Activating the taskbar window hands the focus to the main window.
  if (self && message == WM_ACTIVATE && LOWORD(wparam) != WA_INACTIVE &&
      IsWindowVisible(self->window_.get())) {
    SetActiveWindow(self->window_.get());
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_.reset(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->Handle(window, message, wparam, lparam)
              : DefWindowProcW(window, message, wparam, lparam);
}

// `window` is the main window even while it is being destroyed, when window_ may already have
// let it go.
LRESULT MainWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (host_ && host_->Route(message, wparam, lparam, &result))
    return result;
  if (message == taskbar_created_ && taskbar_created_ != 0) {
    Guarded([this] { form_->TaskbarCreated(); });
    return 0;
  }
  switch (message) {
    case kTrayMessage:
      if (form_)
        OnTrayMessage(lparam);
      return 0;
    case WM_COMMAND:
      if (form_ && HIWORD(wparam) == 0 && lparam == 0) {
        Guarded([&] { form_->PopupMenu1Command(LOWORD(wparam)); });
        return 0;
      }
      break;
    case WM_SYSCOMMAND: {
      const LRESULT standard = DefWindowProcW(window, message, wparam, lparam);
      if (form_)
        Guarded([&] { form_->SystemMenuCommand(static_cast<int>(wparam & 0xFFF0)); });
      return standard;
    }
    case WM_LBUTTONUP:
      if (form_)
        Guarded([this] { form_->FormClick(); });
      return 0;
    case WM_SHOWWINDOW:
      if (form_ && wparam)
        Guarded([this] { form_->FormShow(); });
      break;
    case WM_ACTIVATE:
      if (form_ && LOWORD(wparam) != WA_INACTIVE)
        Guarded([this] { form_->FormActivate(); });
      break;
    case WM_QUERYENDSESSION:
      if (form_)
        Guarded([this] { form_->QueryEndSession(); });
      return TRUE;
    case WM_ENDSESSION:
      // The session ends once this returns: the close that the query posted (and with it the
      // saving of the settings) must not wait in the queue.
      if (wparam)
        SendMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE: {
      bool close = true;
      if (form_)
        Guarded([&] { close = form_->FormCloseQuery(); });
      if (close)
        DestroyWindow(window);
      return 0;
    }
    case WM_DESTROY:
      // Without TForm1 the start failed and no message loop will run: a quit request would
      // only end the error box that reports the failure.
      if (form_) {
        Guarded([this] { form_->FormDestroy(); });
        PostQuitMessage(0);
      }
      return 0;
    case WM_NCDESTROY:
      window_.release();  // the system has ended it
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_DPICHANGED:
      if (host_)
        OnDpiChanged(HIWORD(wparam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace tempiko::win32
