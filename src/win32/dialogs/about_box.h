#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace tempiko::win32 {

// Ids of the about box's controls, for tests and probes. The picture and the three labels
// sit on Panel1: find them with GetDlgItem(GetDlgItem(box, kAboutPanelId), id).
inline constexpr int kAboutPanelId = 100;
inline constexpr int kAboutProgramIconId = 101;
inline constexpr int kAboutProductNameId = 102;
inline constexpr int kAboutHomePageId = 103;
inline constexpr int kAboutMailId = 104;
inline constexpr int kAboutOkId = IDOK;

inline constexpr wchar_t kAboutCaption[] = L"バージョン情報";
inline constexpr char kAboutProductName[] = "Tempiko！ Version 1.4";
inline constexpr char kAboutHomePage[] = "https://tempiko.example.org/";
inline constexpr char kAboutMail[] = "mailto:tempiko@example.org";

inline constexpr COLORREF kLinkColor = RGB(0, 0, 255);   // blue
inline constexpr COLORREF kHoverColor = RGB(255, 0, 0);  // red

// The version box, created for one showing: the program's icon, name and version, and two
// links (the home page and the mail address) that turn red under the mouse, blue again over
// the panel or the background, and are opened through the shell when clicked.
class AboutBox {
 public:
  // Opens a link's text (the window to own any message, the text). Tests replace it.
  using LinkOpener = std::function<void(HWND, const std::wstring&)>;

  // `module` and `icon_id` name the program's icon resource.
  AboutBox(HINSTANCE module, int icon_id);
  ~AboutBox();
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  void SetLinkOpener(LinkOpener opener) { open_link_ = std::move(opener); }

  // Shows the box modally over `owner` (which does not respond meanwhile) until OK or the
  // close box; IDOK or IDCANCEL.
  INT_PTR ShowModal(HWND owner);

 private:
  struct Controls;
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void PlaceWindow(HWND owner);
  void ShowLinksBlue();

  HINSTANCE module_;
  int icon_id_;
  HWND dialog_ = nullptr;
  HWND owner_ = nullptr;
  LinkOpener open_link_;
  std::unique_ptr<Controls> controls_;
};

}  // namespace tempiko::win32
