#pragma once

#include "ui/controls.h"

namespace tempiko::app {

// Every control of the main window that the program's logic reads or writes, by the names the
// window gives them. The Win32 window builds the real ones; tests use memory_controls.h.
struct MainControls {
  // Left half.
  ui::TComboBox& ComboBox1;  // server box
  ui::TLabel& Label1;        // offset label ("±0" at start), lime on black
  ui::TLabel& Label4;        // clock label ("0" at start), aqua on black
  ui::TButton& Button1;      // "接続"
  ui::TButton& Button2;      // "終了" or "閉じる"
  ui::TButton& Button5;      // "0 補正"
  ui::TButton& Button6;      // "詳細 >>" or "<< 詳細"
  ui::TButton& Button7;  // "ｵﾌﾟｼｮﾝ" or "状態", hidden until the details area opens
  ui::TStatusBar& StatusBar1;  // the status line ("最終更新日＞" at design)
  // Details area: the log page and the options page.
  ui::TMemo& Memo1;
  ui::TButton& Button3;          // "登録"
  ui::TButton& Button4;          // "削除"
  ui::TSpinEdit& SpinEdit1;      // tolerance, 0 to 10000 ms, step 100
  ui::TSpinEdit& SpinEdit2;      // simple-correction amount, no bounds, step 100
  ui::TSpinEdit& SpinEdit3;      // re-synchronisation period in hours, no bounds
  ui::TSpinEdit& SpinEdit4;      // start-up delay, 0 to 999 s
  ui::TCheckBox& CheckBox1;      // "代理サーバとして利用"
  ui::TRadioGroup& RadioGroup1;  // "起動時オプション"
  ui::TComboBox& ComboBox2;      // connection box
};

}  // namespace tempiko::app
