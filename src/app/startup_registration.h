#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/startup_shell.h"
#include "ui/controls.h"

namespace tempiko::app {

// The texts of registering and unregistering.
inline constexpr char kNeedDialEntry[] = "電話帳ｴﾝﾄﾘを設定して下さい";
inline constexpr char kNeedDriftRate[] = "簡易補正時間を設定して下さい";
inline constexpr char kNeedZeroCorrection[] = "一度０補正をして下さい";
inline constexpr char kStartupFolderNotFound[] = "ｽﾀｰﾄｱｯﾌﾟﾌｫﾙﾀﾞが見つかりません";
inline constexpr char kShortcutCreated[] = "ｽﾀｰﾄｱｯﾌﾟにｼｮｰﾄｶｯﾄを作成しました";
inline constexpr char kShortcutNotCreated[] = "ｼｮｰﾄｶｯﾄを作成できませんでした";
inline constexpr char kShortcutDeleted[] = "ｽﾀｰﾄｱｯﾌﾟのｼｮｰﾄｶｯﾄを削除しました";

// The start-up option that makes the link start a network run ("-d"); any other index, none
// selected (-1) included, makes it start a simple correction ("-s").
inline constexpr int kNetworkRunOption = 0;
inline constexpr int kSimpleCorrectionOption = 1;

// The longest path the shell's buffers hold, in UTF-16 units with the terminating zero.
inline constexpr std::size_t kMaxPathUnits = 260;

// What the options page says when 登録 is pressed.
struct StartupChoice {
  int start_option = kNetworkRunOption;  // the start-up option's index
  std::string dial_entry;                // the connection box's text
  int drift_ms_per_day = 0;              // the simple correction's amount
  // The settings held LastTime at start, or a zero correction was made in this run.
  bool has_last_time = false;
};

// The message of the first check the choice fails, in the order they are made; nothing when
// it passes them all.
std::optional<std::string> RegistrationRefusal(const StartupChoice& choice);

// The arguments the link passes: " -d" for the network run, " -s" otherwise, with the blank
// that separates them from the program's path.
std::string ShortcutArguments(int start_option);

// The executable's folder with its trailing backslash.
std::string ExecutableFolder(std::string_view executable_path);

// The link's path: the Startup folder, a backslash and the executable's file name with the
// extension ".lnk". Nothing when the folder is unknown or empty, or when the path would not
// fit the shell's path buffers.
std::optional<std::string> StartupLinkPath(const std::optional<std::string>& startup_folder,
                                           std::string_view executable_path);

// How many UTF-16 units the UTF-8 text takes.
std::size_t Utf16Length(std::string_view utf8);

// The handlers of 登録 and 削除 in the group "スタートアップ": a shortcut to the program in the
// current user's Startup folder, so that Windows starts it at log-on for one unattended run.
// The outcome goes on the status bar alone, not into the log.
class StartupRegistration {
 public:
  StartupRegistration(StartupShell& shell, ui::StatusBar& status_bar)
      : shell_(shell), status_bar_(status_bar) {}

  // A refused check shows its message box and writes nothing; otherwise the link is written
  // (an existing one replaced) and the status bar tells whether it was saved. A Startup folder
  // that cannot be found throws tempiko::Exception(kStartupFolderNotFound), as does a link
  // object the system cannot make (with the system's text).
  void Register(const StartupChoice& choice);

  // Deletes the link: the status bar says so, or is emptied when there was nothing to delete.
  // A Startup folder that cannot be found throws as for Register.
  void Unregister();

 private:
  std::string LinkPath(const std::string& executable_path);

  StartupShell& shell_;
  ui::StatusBar& status_bar_;
};

}  // namespace tempiko::app
