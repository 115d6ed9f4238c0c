// The real Win32 controls behave as the in-memory controls the window logic is tested with, and
// the dialogs (pattern input, about box) show what they should and close as they should.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fakes/memory_controls.h"
#include "message_pump.h"
#include "win32/controls/button.h"
#include "win32/controls/combo_box.h"
#include "win32/controls/control_host.h"
#include "win32/controls/group_box.h"
#include "win32/controls/label.h"
#include "win32/controls/memo.h"
#include "win32/controls/panel.h"
#include "win32/controls/picture.h"
#include "win32/controls/spin_edit.h"
#include "win32/controls/status_bar.h"
#include "win32/dialogs/about_box.h"
#include "win32/dialogs/input_dialog.h"
#include "win32/resource.h"
#include "win32/text_encoding.h"

namespace tempiko {
namespace {

using win32::Bounds;
using win32::ControlSpec;

// A top-level window that routes its children's messages to a control host, as the main
// window does, and runs a script when a modal dialog it owns falls idle.
class TestWindow {
 public:
  TestWindow() {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &TestWindow::Procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = L"TempikoControlsTest";
    RegisterClassExW(&window_class);
    window_ = CreateWindowExW(0, L"TempikoControlsTest", L"controls", WS_OVERLAPPEDWINDOW, 0, 0,
                              640, 400, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    host_ = std::make_unique<win32::ControlHost>(window_);
  }
  ~TestWindow() {
    host_.reset();
    DestroyWindow(window_);
  }

  HWND handle() const { return window_; }
  win32::ControlHost& host() { return *host_; }
  win32::ControlParent root() { return host_->Root(); }
  // Runs once, with the dialog, when a modal dialog owned by this window waits for input.
  void WhenDialogIdle(std::function<void(HWND)> script) { on_dialog_idle_ = std::move(script); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->host_) {
      LRESULT result = 0;
      if (self->host_->Route(message, wparam, lparam, &result))
        return result;
    }
    if (self && message == WM_ENTERIDLE && wparam == MSGF_DIALOGBOX && self->on_dialog_idle_) {
      auto script = std::move(self->on_dialog_idle_);
      self->on_dialog_idle_ = nullptr;
      script(reinterpret_cast<HWND>(lparam));
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  std::unique_ptr<win32::ControlHost> host_;
  std::function<void(HWND)> on_dialog_idle_;
};

RECT ClientRectIn(HWND control, HWND parent) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return win32::WideToUtf8(text);
}

// The colours a control would be painted with, as its parent answers WM_CTLCOLORSTATIC.
struct PaintColors {
  COLORREF text;
  COLORREF background;
};

PaintColors ColorsOf(HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkColor(dc, RGB(4, 5, 6));
  SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(control));
  PaintColors colors{GetTextColor(dc), GetBkColor(dc)};
  DeleteDC(dc);
  return colors;
}

class ControlsTest : public ::testing::Test {
 protected:
  TestWindow window_;
};

const char* const kTexts[] = {"接続", "ｵﾌﾟｼｮﾝ ﾃﾞﾊﾞｲｽ", "最終更新日＞不明", "Tempiko！",
                              "",     "a&b 1/2"};

TEST_F(ControlsTest, TextsMakeTheRoundTripInEveryTextControl) {
  win32::Win32Button button(window_.root(), {1, {0, 0, 57, 25}, "x", {}});
  win32::Win32Label label(window_.root(), {2, {0, 30, 0, 0}, "x", {}});
  win32::Win32Label fixed_label(window_.root(), {3, {0, 50, 177, 17}, "x", {}});
  win32::Win32StatusBar status(window_.root(), {4, {0, 158, 297, 24}, "x", {}});
  win32::Win32ComboBox combo(window_.root(), {5, {0, 80, 177, 0}, "x", {}});
  win32::Win32GroupBox group(window_.root(), {6, {300, 0, 233, 89}, "x", {}});
  ui::TextControl* const controls[] = {&button, &label, &fixed_label, &status, &combo, &group};
  for (ui::TextControl* control : controls) {
    for (const char* text : kTexts) {
      control->SetText(text);
      EXPECT_EQ(control->Text(), text);
    }
  }
}

TEST_F(ControlsTest, EnabledAndVisibleAreTheControlsOwnFlags) {
  win32::Win32Button button(window_.root(), {1, {0, 0, 57, 25}, "b", {}});
  win32::Win32SpinEdit spin(window_.root(), {2, {0, 30, 60, 22}, "0", {}}, {0, 10, 1});
  win32::Win32RadioGroup radio(window_.root(), {3, {0, 60, 115, 57}, "r", {}}, {"a", "b"}, 4);
  win32::Win32Memo memo(window_.root(), {6, {120, 0, 100, 100}, {}, {}});
  ui::Control* const controls[] = {&button, &spin, &radio, &memo};
  for (ui::Control* control : controls) {
    EXPECT_TRUE(control->Enabled());
    EXPECT_TRUE(control->Visible());  // although the window itself is not shown
    control->SetEnabled(false);
    control->SetVisible(false);
    EXPECT_FALSE(control->Enabled());
    EXPECT_FALSE(control->Visible());
    control->SetEnabled(true);
    control->SetVisible(true);
    EXPECT_TRUE(control->Enabled());
    EXPECT_TRUE(control->Visible());
  }
  // Every window of a compound control follows.
  spin.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(spin.arrows()));
  radio.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(radio.Button(1)));
}

TEST_F(ControlsTest, ButtonReportsClicksAndMouseDownsAndIsTheDefault) {
  win32::Win32Button button(window_.root(), {101, {240, 4, 57, 25}, "接続", {}},
                            win32::Win32Button::Kind::kDefault);
  int clicks = 0;
  int downs = 0;
  button.OnClick = [&] { ++clicks; };
  button.OnMouseDown = [&] { ++downs; };
  SendMessageW(button.handle(), BM_CLICK, 0, 0);  // presses it like the mouse
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(downs, 1);
  SendMessageW(button.handle(), WM_RBUTTONDOWN, 0, MAKELPARAM(3, 3));
  SendMessageW(button.handle(), WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(clicks, 1);  // the right button does not click
  // The program's press reaches the handler also while the button is disabled.
  button.SetEnabled(false);
  button.Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(SendMessageW(window_.handle(), DM_GETDEFID, 0, 0), MAKELRESULT(101, DC_HASDEFID));
  EXPECT_TRUE(GetWindowLongW(button.handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(ControlsTest, LabelsTakeTheirColoursAndReportClicks) {
  win32::Win32Label offset(window_.root(), {1, {48, 64, 177, 17}, "±0", {L"ＭＳ Ｐゴシック", 13}});
  win32::Win32Label caption(window_.root(), {2, {48, 48, 0, 0}, "補正時間", {}});
  offset.SetColors(RGB(0, 255, 0), RGB(0, 0, 0));  // lime on black

  const PaintColors lime = ColorsOf(offset.handle());
  EXPECT_EQ(lime.text, RGB(0, 255, 0));
  EXPECT_EQ(lime.background, RGB(0, 0, 0));
  EXPECT_EQ(ColorsOf(caption.handle()).text, GetSysColor(COLOR_WINDOWTEXT));  // the system's

  int clicks = 0;
  int double_clicks = 0;
  caption.OnClick = [&] { ++clicks; };
  caption.OnDoubleClick = [&] { ++double_clicks; };
  SendMessageW(caption.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(caption.handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  SendMessageW(caption.handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(double_clicks, 1);
}

TEST_F(ControlsTest, LabelsWithoutAWidthFitTheirText) {
  win32::Win32Label label(window_.root(), {1, {48, 48, 0, 0}, "現在時刻", {}});
  win32::Win32Label fixed(window_.root(), {2, {48, 64, 177, 17}, "0", {}});
  const RECT first = ClientRectIn(label.handle(), window_.handle());
  label.SetText("現在時刻 現在時刻 現在時刻");
  const RECT longer = ClientRectIn(label.handle(), window_.handle());
  EXPECT_EQ(longer.left, 48);
  EXPECT_EQ(longer.top, 48);
  EXPECT_GT(longer.right - longer.left, 2 * (first.right - first.left));
  EXPECT_GT(first.bottom - first.top, 10);
  fixed.SetText("2026/12/09 午後 11:08:04.123 とても長い日時の表示");
  const RECT kept = ClientRectIn(fixed.handle(), window_.handle());
  EXPECT_EQ(kept.right - kept.left, 177);
  EXPECT_EQ(kept.bottom - kept.top, 17);
}

TEST_F(ControlsTest, StatusBarKeepsItsPlaceAndSizeWhenTheWindowWidens) {
  win32::Win32StatusBar status(window_.root(), {1, {0, 158, 297, 24}, "最終更新日＞", {}});
  EXPECT_EQ(status.Text(), "最終更新日＞");
  EXPECT_EQ(TextOf(status.handle()), "最終更新日＞");  // as a probe reads it
  RECT frame{0, 0, 569, 182};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  SetWindowPos(window_.handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOMOVE);
  SendMessageW(status.handle(), WM_SIZE, 0, MAKELPARAM(569, 182));  // as a docking parent would
  const RECT place = ClientRectIn(status.handle(), window_.handle());
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.top, 158);
  EXPECT_EQ(place.right, 297);
  EXPECT_EQ(place.bottom, 182);

  int clicks = 0;
  status.OnClick = [&] { ++clicks; };
  SendMessageW(status.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(status.handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);
}

// Each step is done to the in-memory combo box and the real one; they must agree afterwards.
TEST_F(ControlsTest, ComboBoxAgreesWithTheInMemoryOne) {
  win32::Win32ComboBox real(window_.root(), {1, {48, 18, 177, 200}, "", {}});
  ui::MemoryComboBox memory;
  HWND field = FindWindowExW(real.handle(), nullptr, L"Edit", nullptr);
  ASSERT_NE(field, nullptr);
  const auto type = [&](const std::wstring& text) {
    SendMessageW(field, EM_SETSEL, 0, -1);
    for (wchar_t c : text)
      SendMessageW(field, WM_CHAR, c, 0);
    memory.Type(win32::WideToUtf8(text));
  };
  struct Step {
    const char* what;
    std::function<void()> act;
  };
  const std::vector<std::string> servers = {"ntp.nict.jp", "ntp.jst.mfeed.ad.jp", "時刻.example"};
  const Step steps[] = {
      {"set text",
       [&] {
         real.SetText("LAN経由接続");
         memory.SetText("LAN経由接続");
       }},
      {"set items",
       [&] {
         real.SetItems(servers);
         memory.SetItems(servers);
       }},
      {"select 2",
       [&] {
         real.SetItemIndex(2);
         memory.SetItemIndex(2);
       }},
      {"set text keeps the index",
       [&] {
         real.SetText("x");
         memory.SetText("x");
       }},
      {"select 0",
       [&] {
         real.SetItemIndex(0);
         memory.SetItemIndex(0);
       }},
      {"type", [&] { type(L"ntp.ｻｰﾊﾞ.jp"); }},
      {"select 1",
       [&] {
         real.SetItemIndex(1);
         memory.SetItemIndex(1);
       }},
      {"type an entry's name", [&] { type(L"ntp.nict.jp"); }},
      {"select past the end",
       [&] {
         real.SetItemIndex(3);
         memory.SetItemIndex(3);
       }},
      {"select 1 again",
       [&] {
         real.SetItemIndex(1);
         memory.SetItemIndex(1);
       }},
      {"select none",
       [&] {
         real.SetItemIndex(-1);
         memory.SetItemIndex(-1);
       }},
      {"new items",
       [&] {
         real.SetItems({"LAN経由接続"});
         memory.SetItems({"LAN経由接続"});
       }},
  };
  for (const Step& step : steps) {
    step.act();
    SCOPED_TRACE(step.what);
    EXPECT_EQ(real.Text(), memory.Text());
    EXPECT_EQ(real.ItemIndex(), memory.ItemIndex());
    EXPECT_EQ(real.Items(), memory.Items());
  }
}

TEST_F(ControlsTest, ComboBoxSelectionByTheUserSelectsTheEntry) {
  win32::Win32ComboBox combo(window_.root(), {1, {48, 18, 177, 200}, "", {}});
  combo.SetItems({"a.example", "b.example"});
  HWND field = FindWindowExW(combo.handle(), nullptr, L"Edit", nullptr);
  SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);  // the arrow key picks the next entry
  SendMessageW(field, WM_KEYUP, VK_DOWN, 0);
  EXPECT_EQ(combo.ItemIndex(), 0);
  EXPECT_EQ(combo.Text(), "a.example");
}

TEST_F(ControlsTest, MemoAppendsLinesAndScrollsToTheEnd) {
  win32::Win32Memo real(window_.root(), {1, {304, 0, 265, 120}, {}, {}});
  ui::MemoryMemo memory;
  const std::vector<std::string> lines = {"最終更新日＞不明", "",
                                          "ﾘｸｴｽﾄ送信:ServerPort=123 LocalPort=8263",
                                          "往復遅延時間:00:00:00.102"};
  for (int round = 0; round < 10; ++round) {
    for (const std::string& line : lines) {
      real.Append(line);
      memory.Append(line);
    }
  }
  EXPECT_EQ(real.Lines(), memory.Lines());
  EXPECT_GT(SendMessageW(real.handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 20);
  EXPECT_TRUE(GetWindowLongW(real.handle(), GWL_STYLE) & ES_READONLY);
}

// A log in the tray for weeks keeps its latest lines only, as the in-memory one does.
TEST_F(ControlsTest, MemoDropsItsOldestLinesPastItsLimit) {
  win32::Win32Memo real(window_.root(), {1, {304, 0, 265, 120}, {}, {}});
  ui::MemoryMemo memory;
  for (std::size_t i = 0; i < ui::Memo::kMaxLines + 700; ++i) {
    // Long enough to wrap on screen: the cut counts lines as appended.
    const std::string line = "Request:" + std::to_string(i) + std::string(60, 'x');
    real.Append(line);
    memory.Append(line);
  }
  const std::vector<std::string> lines = real.Lines();
  EXPECT_EQ(lines, memory.Lines());
  ASSERT_FALSE(lines.empty());
  EXPECT_LE(lines.size(), ui::Memo::kMaxLines);
  EXPECT_EQ(lines.back(),
            "Request:" + std::to_string(ui::Memo::kMaxLines + 699) + std::string(60, 'x'));
}

TEST(ParseWholeNumber, ReadsOnlyWholeNumbers) {
  struct Case {
    const wchar_t* text;
    std::optional<int> value;
  };
  const Case cases[] = {
      {L"200", 200},
      {L"-100", -100},
      {L"+7", 7},
      {L" 42 ", 42},
      {L"2147483647", INT_MAX},
      {L"-2147483648", INT_MIN},
      {L"2147483648", std::nullopt},
      {L"", std::nullopt},
      {L"-", std::nullopt},
      {L"1.5", std::nullopt},
      {L"1,000", std::nullopt},
      {L"12a", std::nullopt},
      {L"0x1F", std::nullopt},
      {L"１２", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(win32::ParseWholeNumber(c.text), c.value) << win32::WideToUtf8(c.text);
}

// SetValue and Value agree with the in-memory field for every kind of range.
TEST_F(ControlsTest, SpinEditKeepsValuesAsTheInMemoryOneDoes) {
  struct Case {
    win32::SpinRange range;
    int value;
  };
  const Case cases[] = {
      {{0, 10000, 100}, 200}, {{0, 10000, 100}, 10001}, {{0, 10000, 100}, -5}, {{0, 999, 1}, 999},
      {{0, 999, 1}, 5000},    {{0, 0, 100}, -123456},   {{0, 0, 1}, INT_MAX},  {{0, 0, 1}, INT_MIN},
  };
  for (const Case& c : cases) {
    win32::Win32SpinEdit real(window_.root(), {1, {1, 129, 57, 22}, "0", {}}, c.range);
    ui::MemorySpinEdit memory(0, c.range.min, c.range.max);
    real.SetValue(c.value);
    memory.SetValue(c.value);
    EXPECT_EQ(real.Value(), memory.Value()) << c.value;
  }
}

TEST_F(ControlsTest, SpinEditReadsATextThatIsNoWholeNumberAsTheMinimum) {
  win32::Win32SpinEdit bounded(window_.root(), {1, {1, 129, 57, 22}, "200", {}}, {0, 10000, 100});
  win32::Win32SpinEdit free(window_.root(), {2, {1, 160, 57, 22}, "0", {}}, {0, 0, 100});
  for (const char* text : {"abc", "1.5", "", "-", "99999999999"}) {
    SetWindowTextW(bounded.handle(), win32::Utf8ToWide(text).c_str());
    SetWindowTextW(free.handle(), win32::Utf8ToWide(text).c_str());
    EXPECT_EQ(bounded.Value(), 0) << text;
    EXPECT_EQ(free.Value(), 0) << text;
  }
  SetWindowTextW(free.handle(), L"-1500");
  EXPECT_EQ(free.Value(), -1500);
  SetWindowTextW(bounded.handle(), L"20000");
  EXPECT_EQ(bounded.Value(), 10000);
}

TEST_F(ControlsTest, SpinEditAcceptsOnlyNumberCharactersWhenTyped) {
  win32::Win32SpinEdit spin(window_.root(), {1, {1, 129, 57, 22}, "0", {}}, {0, 0, 1});
  SetWindowTextW(spin.handle(), L"");
  int changes = 0;
  spin.OnChange = [&] { ++changes; };
  for (wchar_t c : std::wstring(L"-1a2x+３"))
    SendMessageW(spin.handle(), WM_CHAR, c, 0);
  EXPECT_EQ(spin.Text(), "-12+");
  EXPECT_EQ(changes, 4);
  spin.SetValue(5);
  EXPECT_EQ(changes, 4);  // the program's change is not the user's
}

TEST_F(ControlsTest, SpinEditStepsByItsIncrementWithinItsLimits) {
  win32::Win32SpinEdit spin(window_.root(), {1, {1, 129, 57, 22}, "9800", {}}, {0, 10000, 100});
  int changes = 0;
  spin.OnChange = [&] { ++changes; };
  SendMessageW(spin.handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(spin.Value(), 9900);
  SendMessageW(spin.handle(), WM_KEYDOWN, VK_UP, 0);
  SendMessageW(spin.handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(spin.Value(), 10000);
  SendMessageW(spin.handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(spin.Value(), 9900);
  EXPECT_GE(changes, 3);

  // Leaving the field puts an out-of-range text back inside the limits.
  SetWindowTextW(spin.handle(), L"123456");
  SendMessageW(window_.handle(), WM_COMMAND, MAKEWPARAM(1, EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(spin.handle()));
  EXPECT_EQ(spin.Text(), "10000");
}

TEST_F(ControlsTest, SpinEditArrowsStepAndRepeatWhileHeld) {
  win32::Win32SpinEdit spin(window_.root(), {1, {1, 129, 57, 22}, "0", {}}, {0, 0, 1});
  RECT arrows{};
  GetClientRect(spin.arrows(), &arrows);
  const LPARAM upper = MAKELPARAM(arrows.right / 2, 2);
  const LPARAM lower = MAKELPARAM(arrows.right / 2, arrows.bottom - 2);

  SendMessageW(spin.arrows(), WM_LBUTTONDOWN, MK_LBUTTON, lower);
  EXPECT_EQ(spin.Value(), -1);  // at once
  SendMessageW(spin.arrows(), WM_LBUTTONUP, 0, lower);
  EXPECT_EQ(spin.Value(), -1);

  SendMessageW(spin.arrows(), WM_LBUTTONDOWN, MK_LBUTTON, upper);
  EXPECT_EQ(spin.Value(), 0);
  EXPECT_TRUE(test::PumpMessagesUntil([&] { return spin.Value() >= 3; }, 3000));
  SendMessageW(spin.arrows(), WM_LBUTTONUP, 0, upper);
  const int released = spin.Value();
  test::PumpMessagesUntil([] { return false; }, 300);
  EXPECT_EQ(spin.Value(), released);
}

TEST_F(ControlsTest, CheckBoxTogglesAndReportsOnlyTheUsersClicks) {
  win32::Win32CheckBox check(window_.root(), {1, {1, 154, 130, 17}, "代理サーバとして利用", {}});
  int clicks = 0;
  check.OnClick = [&] { ++clicks; };
  EXPECT_FALSE(check.Checked());
  check.SetChecked(true);
  EXPECT_TRUE(check.Checked());
  EXPECT_EQ(clicks, 0);
  SendMessageW(check.handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(check.Checked());
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, RadioGroupIndexAgreesWithTheInMemoryOne) {
  win32::Win32RadioGroup real(window_.root(), {10, {142, 64, 115, 57}, "起動時オプション", {}},
                              {"NTPｻｰﾊﾞに接続", "簡易補正"}, 11);
  ui::MemoryRadioGroup memory(2, 0);
  real.SetItemIndex(0);
  for (int index : {1, 0, -1, 5, -7, 1}) {
    real.SetItemIndex(index);
    memory.SetItemIndex(index);
    EXPECT_EQ(real.ItemIndex(), memory.ItemIndex()) << index;
  }
  int clicks = 0;
  real.OnClick = [&] { ++clicks; };
  SendMessageW(real.Button(0), BM_CLICK, 0, 0);
  EXPECT_EQ(real.ItemIndex(), 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(TextOf(real.Button(1)), "簡易補正");
  EXPECT_EQ(GetDlgCtrlID(real.Button(1)), 12);
}

TEST_F(ControlsTest, PageControlShowsOnePageAndRoutesItsControls) {
  win32::Win32PageControl pages(window_.root(), {1, {304, 0, 265, 182}, {}, {}});
  win32::Win32Button on_options(pages.Page(1), {2, {0, 3, 57, 25}, "登録", {}});
  win32::Win32Memo on_log(pages.Page(0), {3, {0, 0, 265, 182}, {}, {}});
  EXPECT_EQ(GetParent(on_options.handle()), pages.PageWindow(1));
  pages.SetActivePage(1);
  EXPECT_EQ(pages.ActivePage(), 1);
  EXPECT_TRUE(IsWindowVisible(pages.PageWindow(1)) || !IsWindowVisible(window_.handle()));
  EXPECT_FALSE(GetWindowLongW(pages.PageWindow(0), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongW(pages.PageWindow(1), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(on_log.Visible());  // its own flag, though its page is hidden

  int clicks = 0;
  on_options.OnClick = [&] { ++clicks; };
  SendMessageW(on_options.handle(), BM_CLICK, 0, 0);  // the page passes it on
  EXPECT_EQ(clicks, 1);
  pages.SetVisible(false);
  EXPECT_FALSE(pages.Visible());
}

TEST_F(ControlsTest, PictureShowsAnIconAtItsSize) {
  win32::Win32Picture picture(window_.root(), {1, {8, 32, 33, 33}, {}, {}},
                              GetModuleHandleW(nullptr), 9999);  // no such resource here
  EXPECT_NE(picture.icon(), nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(picture.handle(), STM_GETICON, 0, 0)),
            picture.icon());
  const RECT place = ClientRectIn(picture.handle(), window_.handle());
  EXPECT_EQ(place.right - place.left, 33);
  EXPECT_EQ(place.bottom - place.top, 33);
}

TEST_F(ControlsTest, ControlsOfAGroupArePlacedInsideIt) {
  win32::Win32GroupBox group(window_.root(), {1, {0, 96, 233, 57}, "マイコンピュータ", {}});
  win32::Win32Label caption(group.Inside(), {2, {48, 16, 0, 0}, "現在時刻", {}});
  const RECT place = ClientRectIn(caption.handle(), window_.handle());
  EXPECT_EQ(place.left, 48);
  EXPECT_EQ(place.top, 112);
}

TEST_F(ControlsTest, AHigherDpiScalesPlacesSizesAndFonts) {
  win32::Win32Button button(window_.root(), {1, {240, 35, 57, 25}, "終了", {}});
  win32::Win32Label label(window_.root(), {2, {48, 64, 177, 17}, "±0", {L"ＭＳ Ｐゴシック", 13}});
  const UINT dpi = window_.host().dpi();
  window_.host().SetDpi(dpi * 2);
  const RECT place = ClientRectIn(button.handle(), window_.handle());
  EXPECT_EQ(place.left, MulDiv(240, static_cast<int>(dpi) * 2, 96));
  EXPECT_EQ(place.right - place.left, MulDiv(57, static_cast<int>(dpi) * 2, 96));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label.handle(), WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(13, static_cast<int>(dpi) * 2, 96));
  EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
}

TEST_F(ControlsTest, PatternDialogReturnsTheEditedTextOnOk) {
  std::string caption;
  std::string prompt;
  std::string initial;
  window_.WhenDialogIdle([&](HWND dialog) {
    caption = TextOf(dialog);
    prompt = TextOf(GetDlgItem(dialog, win32::kInputPromptId));
    initial = TextOf(GetDlgItem(dialog, win32::kInputEditId));
    SetDlgItemTextW(dialog, win32::kInputEditId, L"yyyy'年'm'月'd'日' hh:nn:ss.zzz");
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  const auto answer = win32::AskDateTimePattern(window_.handle(), "yyyy/mm/dd AMPM hh:nn:ss");
  EXPECT_EQ(caption, "日時フォーマット");
  EXPECT_EQ(prompt, "詳細はヘルプを見て下さい");
  EXPECT_EQ(initial, "yyyy/mm/dd AMPM hh:nn:ss");
  EXPECT_EQ(answer, "yyyy'年'm'月'd'日' hh:nn:ss.zzz");
}

TEST_F(ControlsTest, PatternDialogReturnsNothingOnCancelAndAnEmptyTextOnOk) {
  std::string cancel_caption;
  window_.WhenDialogIdle([&](HWND dialog) {
    SetDlgItemTextW(dialog, win32::kInputEditId, L"changed");
    cancel_caption = TextOf(GetDlgItem(dialog, IDCANCEL));
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(win32::AskDateTimePattern(window_.handle(), "c"), std::nullopt);
  EXPECT_EQ(cancel_caption, "キャンセル");

  window_.WhenDialogIdle([&](HWND dialog) {
    SetDlgItemTextW(dialog, win32::kInputEditId, L"");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // Enter
  });
  EXPECT_EQ(win32::AskDateTimePattern(window_.handle(), "c"), std::string());
}

class AboutBoxTest : public ControlsTest {
 protected:
  // Shows a fresh box and runs `inspect` on it while it is up; then presses OK.
  INT_PTR ShowAndInspect(const std::function<void(HWND dialog, HWND panel)>& inspect) {
    win32::AboutBox box(GetModuleHandleW(nullptr), IDI_TEMPIKO);
    box.SetLinkOpener(
        [this](HWND, const std::wstring& link) { opened_.push_back(win32::WideToUtf8(link)); });
    window_.WhenDialogIdle([&](HWND dialog) {
      inspect(dialog, GetDlgItem(dialog, win32::kAboutPanelId));
      SendMessageW(GetDlgItem(dialog, win32::kAboutOkId), BM_CLICK, 0, 0);
    });
    return box.ShowModal(window_.handle());
  }

  std::vector<std::string> opened_;
};

TEST_F(AboutBoxTest, ShowsTheProgramItsVersionAndTheLinksInBlue) {
  bool inspected = false;
  const INT_PTR result = ShowAndInspect([&](HWND dialog, HWND panel) {
    inspected = true;
    EXPECT_EQ(TextOf(dialog), "バージョン情報");
    RECT client{};
    GetClientRect(dialog, &client);
    const int dpi = static_cast<int>(win32::WindowDpi(dialog));
    EXPECT_EQ(client.right, MulDiv(233, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(117, dpi, 96));
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(SendMessageW(GetDlgItem(panel, win32::kAboutProgramIconId), STM_GETICON, 0, 0), 0);
    EXPECT_EQ(TextOf(GetDlgItem(panel, win32::kAboutProductNameId)), "Tempiko！ Version 1.4");
    EXPECT_EQ(TextOf(GetDlgItem(panel, win32::kAboutHomePageId)), "https://tempiko.example.org/");
    EXPECT_EQ(TextOf(GetDlgItem(panel, win32::kAboutMailId)), "mailto:tempiko@example.org");
    HWND ok = GetDlgItem(dialog, win32::kAboutOkId);
    EXPECT_EQ(TextOf(ok), "OK");
    EXPECT_TRUE(GetWindowLongW(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);
    const RECT place = ClientRectIn(ok, dialog);
    EXPECT_EQ(place.left, MulDiv(79, dpi, 96));
    EXPECT_EQ(place.top, MulDiv(92, dpi, 96));
    for (int link : {win32::kAboutHomePageId, win32::kAboutMailId})
      EXPECT_EQ(ColorsOf(GetDlgItem(panel, link)).text, win32::kLinkColor);
  });
  EXPECT_TRUE(inspected);
  EXPECT_EQ(result, IDOK);
}

TEST_F(AboutBoxTest, LinksTurnRedUnderTheMouseBlueOverThePanelAndOpenTheirText) {
  ShowAndInspect([&](HWND dialog, HWND panel) {
    HWND home = GetDlgItem(panel, win32::kAboutHomePageId);
    HWND mail = GetDlgItem(panel, win32::kAboutMailId);
    SendMessageW(home, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(ColorsOf(home).text, win32::kHoverColor);
    SendMessageW(mail, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(ColorsOf(home).text, win32::kHoverColor);  // no leave event: it stays red
    EXPECT_EQ(ColorsOf(mail).text, win32::kHoverColor);
    SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(200, 5));
    EXPECT_EQ(ColorsOf(home).text, win32::kLinkColor);
    EXPECT_EQ(ColorsOf(mail).text, win32::kLinkColor);
    SendMessageW(mail, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    SendMessageW(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(5, 100));  // the background
    EXPECT_EQ(ColorsOf(mail).text, win32::kLinkColor);

    for (HWND link : {home, mail}) {
      SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    // A red link of this box must not carry over into the next one.
    SendMessageW(home, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  });
  EXPECT_THAT(opened_,
              ::testing::ElementsAre("https://tempiko.example.org/", "mailto:tempiko@example.org"));
  ShowAndInspect([&](HWND, HWND panel) {
    EXPECT_EQ(ColorsOf(GetDlgItem(panel, win32::kAboutHomePageId)).text, win32::kLinkColor);
  });
}

TEST_F(AboutBoxTest, TheCloseBoxClosesIt) {
  win32::AboutBox box(GetModuleHandleW(nullptr), IDI_TEMPIKO);
  HWND shown = nullptr;
  window_.WhenDialogIdle([&](HWND dialog) {
    shown = dialog;
    SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(box.ShowModal(window_.handle()), IDCANCEL);
  EXPECT_FALSE(IsWindow(shown));
  EXPECT_TRUE(IsWindowEnabled(window_.handle()));  // the owner responds again
}

}  // namespace
}  // namespace tempiko
