#pragma once

#include "ui/controls.h"

namespace tempiko::app {

// Every control of the main window that the program's logic reads or writes, by the names the
// window gives them. The Win32 window builds the real ones; tests use memory_controls.h.
struct MainControls {
  // Left half.
  ui::ComboBox& server_box;    // server box
  ui::Label& offset_label;     // offset label ("±0" at start), lime on black
  ui::Label& clock_label;      // clock label ("0" at start), aqua on black
  ui::Button& connect_button;  // "接続"
  ui::Button& exit_button;     // "終了" or "閉じる"
  ui::Button& zero_button;     // "0 補正"
  ui::Button& details_button;  // "詳細 >>" or "<< 詳細"
  ui::Button& page_button;  // "ｵﾌﾟｼｮﾝ" or "状態", hidden until the details area opens
  ui::StatusBar& status_bar;  // the status line ("最終更新日＞" at design)
  // Details area: the log page and the options page.
  ui::Memo& log;
  ui::Button& register_button;    // "登録"
  ui::Button& unregister_button;  // "削除"
  ui::SpinEdit& tolerance_field;  // tolerance, 0 to 10000 ms, step 100
  ui::SpinEdit& drift_field;      // simple-correction amount, no bounds, step 100
  ui::SpinEdit& period_field;     // re-synchronisation period in hours, no bounds
  ui::SpinEdit& delay_field;      // start-up delay, 0 to 999 s
  ui::CheckBox& relay_box;        // "代理サーバとして利用"
  ui::RadioGroup& start_option;   // "起動時オプション"
  ui::ComboBox& entry_box;        // connection box
};

}  // namespace tempiko::app
