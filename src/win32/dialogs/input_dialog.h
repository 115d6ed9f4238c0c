#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tempiko::win32 {

// A one-line modal input dialog: a prompt, an edit field holding the initial text, OK and
// キャンセル. Texts are UTF-8.
struct InputDialogText {
  std::string caption;
  std::string prompt;
  std::string initial;
  int max_length = 0;   // characters the field accepts; 0: no limit of ours
  bool masked = false;  // the field shows what is typed as ●s
};

// Ids of the dialog's controls, for tests and probes.
inline constexpr int kInputPromptId = 100;
inline constexpr int kInputEditId = 101;

// The text on OK; nothing on Cancel or when the dialog is closed.
std::optional<std::string> ShowInputDialog(HWND owner, const InputDialogText& text);

// The clock label's pattern dialog: "日時フォーマット", "詳細はヘルプを見て下さい" and the
// current pattern. The answer is taken as it is, without any check.
std::optional<std::string> AskDateTimePattern(HWND owner, const std::string& current);

// A dial's prompt for the user name ("ユーザ名", "Enter new UserName") or the password
// ("パスワード", "Enter new PassWord", masked): an empty field of at most 255 characters.
std::optional<std::string> AskDialCredential(HWND owner, bool password);

}  // namespace tempiko::win32
