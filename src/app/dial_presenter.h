#pragma once

#include <string>
#include <vector>

#include "app/window_shell.h"
#include "sync/dial_up_link.h"
#include "ui/controls.h"

namespace tempiko::app {

// The controls the dial-up link shows itself in.
struct DialControls {
  ui::ComboBox& entry_box;  // 接続先: "LAN経由接続", then the phone-book's entries
  ui::StatusBar& status_bar;
  ui::Memo& log;
};

// Shows the dial-up link in the main window and asks the user for what a dial lacks.
class DialPresenter final : public sync::DialView {
 public:
  DialPresenter(const DialControls& controls, WindowShell& shell) : c_(controls), shell_(shell) {}

  std::string ChosenEntry() override;
  std::vector<std::string> ListedEntries() override;
  void NoEntryChosen() override;
  void DialStatus(const std::string& text) override;
  std::string AskUserName() override;
  std::string AskPassword() override;
  void HungUp() override;

 private:
  DialControls c_;
  WindowShell& shell_;
};

}  // namespace tempiko::app
