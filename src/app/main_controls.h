#pragma once

#include "ui/controls.h"

namespace tempiko::app {

// Every control of the main window that the program's logic reads or writes, by the names the
// window gives them. The Win32 window builds the real ones; the tests use in-memory ones.
struct MainControls {
  // Left half.
  ui::ComboBox& server_box;    // in "NTPサーバー": a host name or a dotted address
  ui::Label& offset_label;     // under "補正時間": "±0" at start, lime on black
  ui::Label& clock_label;      // under "現在時刻": "0" at start, aqua on black
  ui::Button& connect_button;  // "接続"
  ui::Button& exit_button;     // "終了" or "閉じる"
  ui::Button& zero_button;     // "0 補正"
  ui::Button& details_button;  // "詳細 >>" or "<< 詳細"
  ui::Button& page_button;  // "ｵﾌﾟｼｮﾝ" or "状態", hidden until the details area opens
  ui::StatusBar& status_bar;  // the status line, "最終更新日＞" at design
  // Details area: the log page and the options page.
  ui::Memo& log;                  // the log page
  ui::Button& register_button;    // "登録", in "スタートアップ"
  ui::Button& unregister_button;  // "削除", in "スタートアップ"
  ui::SpinEdit& tolerance_field;  // "ミリ秒以内の誤差は補正しない": 0 to 10000, step 100
  ui::SpinEdit& drift_field;      // in "簡易補正時間", "ミリ秒": no bounds, step 100
  ui::SpinEdit& period_field;     // "時間毎に補正": hours, no bounds
  ui::SpinEdit& delay_field;      // "遅延(S)": 0 to 999 s
  ui::CheckBox& relay_box;        // "代理サーバとして利用"
  ui::RadioGroup& start_option;  // "起動時オプション": "NTPｻｰﾊﾞに接続" or "簡易補正"
  ui::ComboBox& entry_box;  // in "接続先": the dial-up entry or "LAN経由接続"
};

}  // namespace tempiko::app
