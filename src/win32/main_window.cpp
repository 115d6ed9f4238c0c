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
  kServerGroupId = 110,
  kServerPictureId,
  kServerBoxId,
  kOffsetCaptionId,
  kOffsetLabelId,
  kComputerGroupId = 120,
  kComputerPictureId,
  kClockCaptionId,
  kClockLabelId,
  kConnectButtonId = 131,
  kExitButtonId,
  kRegisterButtonId,
  kUnregisterButtonId,
  kZeroButtonId,
  kDetailsButtonId,
  kPageButtonId,
  kStatusBarId = 140,
  kDetailsPagesId = 150,
  kLogId,
  kStartupGroupId = 160,
  kDelayCaptionId,
  kDelayFieldId,
  kEntryGroupId,
  kEntryBoxId,
  kDriftGroupId,
  kDriftFieldId,
  kDriftUnitId,
  kStartOptionId,
  kToleranceFieldId,
  kToleranceCaptionId,
  kRelayBoxId,
  kPeriodFieldId,
  kPeriodCaptionId,
  kStartOptionItemsId = 180,  // the start option's two buttons: ids of their own
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

// Every control of the window; BuildControls gives each its caption, place and id.
struct MainWindow::Controls {
  std::unique_ptr<Win32GroupBox> server_group, computer_group, drift_group, entry_group,
      startup_group;
  std::unique_ptr<Win32Picture> server_picture, computer_picture;
  std::unique_ptr<Win32ComboBox> server_box, entry_box;
  std::unique_ptr<Win32Label> offset_label, offset_caption, clock_caption, clock_label,
      tolerance_caption, drift_unit, period_caption, delay_caption;
  std::unique_ptr<Win32Button> connect_button, exit_button, register_button, unregister_button,
      zero_button, details_button, page_button;
  std::unique_ptr<Win32StatusBar> status_bar;
  std::unique_ptr<Win32PageControl> details_pages;
  std::unique_ptr<Win32Memo> log;
  std::unique_ptr<Win32SpinEdit> tolerance_field, drift_field, period_field, delay_field;
  std::unique_ptr<Win32CheckBox> relay_box;
  std::unique_ptr<Win32RadioGroup> start_option;
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
  SetClientWidth(app::MainForm::kNarrowWidth);
  RECT frame;
  GetWindowRect(window_.get(), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window_.get(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOZORDER | SWP_NOSIZE);

  Controls& c = *controls_;
  const app::MainFormPorts form_ports{
      .controls = {.server_box = *c.server_box,
                   .offset_label = *c.offset_label,
                   .clock_label = *c.clock_label,
                   .connect_button = *c.connect_button,
                   .exit_button = *c.exit_button,
                   .zero_button = *c.zero_button,
                   .details_button = *c.details_button,
                   .page_button = *c.page_button,
                   .status_bar = *c.status_bar,
                   .log = *c.log,
                   .register_button = *c.register_button,
                   .unregister_button = *c.unregister_button,
                   .tolerance_field = *c.tolerance_field,
                   .drift_field = *c.drift_field,
                   .period_field = *c.period_field,
                   .delay_field = *c.delay_field,
                   .relay_box = *c.relay_box,
                   .start_option = *c.start_option,
                   .entry_box = *c.entry_box},
      .shell = *this,
      .timers = ports_.timers,
      .window = ports_.window_thread,
      .workers = ports_.workers,
      .clock = ports_.clock,
      .resolver = ports_.resolver,
      .sockets = ports_.sockets,
      .settings = ports_.settings,
      .locale = ports_.locale,
      .builtin_servers = builtin_servers_,
      .computer_name = ComputerName(),
      .dialler = ports_.dialler,
      .pause = [](std::chrono::milliseconds pause) { Sleep(static_cast<DWORD>(pause.count())); },
      .startup = startup_shell_};
  form_ = std::make_unique<app::MainForm>(form_ports);
  BindEvents();
  AppendSystemMenu();
  Guarded([this] { form_->OnCreate(); });
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

  c->server_group = std::make_unique<Win32GroupBox>(
      root, ControlSpec{kServerGroupId, {0, 0, 233, 89}, "NTPサーバー", font});
  const ControlParent server_part = c->server_group->Inside();
  c->server_picture = std::make_unique<Win32Picture>(
      server_part, ControlSpec{kServerPictureId, {8, 32, 33, 33}, "", font}, instance_, IDI_SERVER);
  c->server_box = std::make_unique<Win32ComboBox>(
      server_part, ControlSpec{kServerBoxId, {48, 18, 177, 200}, "", font});
  c->offset_caption = std::make_unique<Win32Label>(
      server_part, ControlSpec{kOffsetCaptionId, {48, 48, 60, 13}, "補正時間", font});
  c->offset_label = std::make_unique<Win32Label>(
      server_part, ControlSpec{kOffsetLabelId, {48, 64, 177, 17}, "±0", ClockFont()});
  c->offset_label->SetColors(kLime, kBlack);

  c->computer_group = std::make_unique<Win32GroupBox>(
      root, ControlSpec{kComputerGroupId, {0, 96, 233, 57}, "マイコンピュータ", font});
  const ControlParent computer_part = c->computer_group->Inside();
  c->computer_picture = std::make_unique<Win32Picture>(
      computer_part, ControlSpec{kComputerPictureId, {8, 16, 32, 32}, "", font}, instance_,
      IDI_COMPUTER);
  c->clock_caption = std::make_unique<Win32Label>(
      computer_part, ControlSpec{kClockCaptionId, {48, 16, 60, 13}, "現在時刻", font});
  c->clock_label = std::make_unique<Win32Label>(
      computer_part, ControlSpec{kClockLabelId, {48, 32, 177, 17}, "0", ClockFont()});
  c->clock_label->SetColors(kAqua, kBlack);

  const auto button = [&](int id, int top, const char* caption,
                          Win32Button::Kind kind = Win32Button::Kind::kPush) {
    return std::make_unique<Win32Button>(root, ControlSpec{id, {240, top, 57, 25}, caption, font},
                                         kind);
  };
  c->connect_button = button(kConnectButtonId, 4, "接続", Win32Button::Kind::kDefault);
  c->exit_button = button(kExitButtonId, 35, "終了");
  c->details_button = button(kDetailsButtonId, 66, "詳細 >>");
  c->zero_button = button(kZeroButtonId, 97, "0 補正");
  c->page_button = button(kPageButtonId, 128, "ｵﾌﾟｼｮﾝ");
  c->page_button->SetVisible(false);
  host_->SetDefaultButton(kConnectButtonId);

  c->status_bar = std::make_unique<Win32StatusBar>(
      root, ControlSpec{kStatusBarId, {0, 158, 297, 24}, "最終更新日＞", font});

  c->details_pages = std::make_unique<Win32PageControl>(
      root, ControlSpec{kDetailsPagesId, {304, 0, 265, 182}, "", font});
  const ControlParent log_page = c->details_pages->Page(0);
  c->log = std::make_unique<Win32Memo>(log_page, ControlSpec{kLogId, {0, 0, 265, 182}, "", font});

  const ControlParent options = c->details_pages->Page(1);
  c->startup_group = std::make_unique<Win32GroupBox>(
      options, ControlSpec{kStartupGroupId, {0, 3, 124, 57}, "スタートアップ", font});
  const ControlParent startup_part = c->startup_group->Inside();
  c->register_button = std::make_unique<Win32Button>(
      startup_part, ControlSpec{kRegisterButtonId, {6, 14, 44, 19}, "登録", font});
  c->unregister_button = std::make_unique<Win32Button>(
      startup_part, ControlSpec{kUnregisterButtonId, {6, 34, 44, 19}, "削除", font});
  c->delay_caption = std::make_unique<Win32Label>(
      startup_part, ControlSpec{kDelayCaptionId, {56, 14, 60, 13}, "遅延(S)", font});
  c->delay_field = std::make_unique<Win32SpinEdit>(
      startup_part, ControlSpec{kDelayFieldId, {56, 30, 62, 21}, "0", font}, SpinRange{0, 999, 1});

  c->entry_group = std::make_unique<Win32GroupBox>(
      options, ControlSpec{kEntryGroupId, {128, 3, 129, 57}, "接続先", font});
  c->entry_box = std::make_unique<Win32ComboBox>(
      c->entry_group->Inside(), ControlSpec{kEntryBoxId, {8, 22, 113, 200}, "", font});

  c->drift_group = std::make_unique<Win32GroupBox>(
      options, ControlSpec{kDriftGroupId, {0, 64, 137, 57}, "簡易補正時間", font});
  const ControlParent drift_part = c->drift_group->Inside();
  c->drift_field = std::make_unique<Win32SpinEdit>(
      drift_part, ControlSpec{kDriftFieldId, {8, 24, 80, 21}, "0", font}, SpinRange{0, 0, 100});
  c->drift_unit = std::make_unique<Win32Label>(
      drift_part, ControlSpec{kDriftUnitId, {94, 28, 40, 13}, "ミリ秒", font});

  c->start_option = std::make_unique<Win32RadioGroup>(
      options, ControlSpec{kStartOptionId, {142, 64, 115, 57}, "起動時オプション", font},
      std::vector<std::string>{"NTPｻｰﾊﾞに接続", "簡易補正"}, kStartOptionItemsId);

  c->tolerance_field = std::make_unique<Win32SpinEdit>(
      options, ControlSpec{kToleranceFieldId, {1, 129, 57, 21}, "200", font},
      SpinRange{0, 10000, 100});
  c->tolerance_caption = std::make_unique<Win32Label>(
      options,
      ControlSpec{kToleranceCaptionId, {61, 133, 190, 13}, "ミリ秒以内の誤差は補正しない", font});
  c->relay_box = std::make_unique<Win32CheckBox>(
      options, ControlSpec{kRelayBoxId, {1, 154, 138, 17}, "代理サーバとして利用", font});
  c->period_field = std::make_unique<Win32SpinEdit>(
      options, ControlSpec{kPeriodFieldId, {142, 150, 41, 21}, "0", font}, SpinRange{0, 0, 1});
  c->period_caption = std::make_unique<Win32Label>(
      options, ControlSpec{kPeriodCaptionId, {186, 154, 76, 13}, "時間毎に補正", font});

  c->details_pages->SetActivePage(1);  // the options page is in view at start
  c->details_pages->SetVisible(false);
  controls_ = std::move(c);
}

void MainWindow::BindEvents() {
  Controls& c = *controls_;
  const auto guard = [this](void (app::MainForm::*handler)()) {
    return [this, handler] { Guarded([this, handler] { (form_.get()->*handler)(); }); };
  };
  c.exit_button->OnClick = guard(&app::MainForm::OnExitOrHideClick);
  c.zero_button->OnMouseDown = guard(&app::MainForm::OnZeroCorrectionPress);
  c.details_button->OnClick = guard(&app::MainForm::OnDetailsClick);
  c.page_button->OnClick = guard(&app::MainForm::OnPageClick);
  c.register_button->OnClick = guard(&app::MainForm::OnRegisterClick);
  c.unregister_button->OnClick = guard(&app::MainForm::OnUnregisterClick);
  c.relay_box->OnClick = guard(&app::MainForm::OnResidentOptionChanged);
  c.period_field->OnChange = guard(&app::MainForm::OnResidentOptionChanged);
  c.clock_label->OnDoubleClick = guard(&app::MainForm::OnClockDoubleClick);
  for (Win32Label* label : {c.offset_label.get(), c.offset_caption.get(), c.clock_caption.get()}) {
    label->OnClick = guard(&app::MainForm::OnBackgroundClick);
  }
  c.computer_picture->OnClick = guard(&app::MainForm::OnBackgroundClick);
  c.status_bar->OnClick = guard(&app::MainForm::OnBackgroundClick);
  // Connect's click is bound by the main form itself; the guard shows its failures.
  const auto run_click = c.connect_button->OnClick;
  c.connect_button->OnClick = [this, run_click] {
    if (run_click)
      Guarded(run_click);
  };
}

void MainWindow::AppendSystemMenu() {
  HMENU menu = GetSystemMenu(window_.get(), FALSE);
  for (int i = 0; i < app::MainForm::kSystemMenuEntries; ++i) {
    const app::MenuItem& item = app::MainForm::kTrayMenu[static_cast<std::size_t>(i)];
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
  controls_->details_pages->SetVisible(visible);
}

void MainWindow::ShowPage(int page) {
  controls_->details_pages->SetActivePage(page - 1);
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
  for (const app::MenuItem& item : app::MainForm::kTrayMenu) {
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
  AboutBox box(instance_, IDI_TEMPIKO);
  box.ShowModal(window_.get());
}

std::optional<std::string> MainWindow::AskPattern(const std::string& current) {
  return AskDateTimePattern(window_.get(), current);
}

std::optional<std::string> MainWindow::AskCredential(Credential credential) {
  return AskDialCredential(window_.get(), credential == Credential::kPassword);
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
        Guarded([&] { form_->OnTrayMenuCommand(LOWORD(wparam)); });
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
        Guarded([this] { form_->OnBackgroundClick(); });
      return 0;
    case WM_SHOWWINDOW:
      if (form_ && wparam)
        Guarded([this] { form_->OnShow(); });
      break;
    case WM_ACTIVATE:
      if (form_ && LOWORD(wparam) != WA_INACTIVE)
        Guarded([this] { form_->OnActivate(); });
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
        Guarded([&] { close = form_->OnCloseQuery(); });
      if (close)
        DestroyWindow(window);
      return 0;
    }
    case WM_DESTROY:
      // Without MainForm the start failed and no message loop will run: a quit request would
      // only end the error box that reports the failure.
      if (form_) {
        Guarded([this] { form_->OnDestroy(); });
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
