#include "app/dial_presenter.h"

namespace tempiko::app {
namespace {

constexpr char kNoEntryChosen[] = "接続先を指定して下さい";
constexpr char kHungUp[] = "ダイアルアップ切断しました";

}  // namespace

std::string DialPresenter::ChosenEntry() {
  return c_.entry_box.Text();
}

std::vector<std::string> DialPresenter::ListedEntries() {
  std::vector<std::string> items = c_.entry_box.Items();
  if (!items.empty())
    items.erase(items.begin());  // "LAN経由接続" is no phone-book entry
  return items;
}

void DialPresenter::NoEntryChosen() {
  c_.status_bar.SetText(kNoEntryChosen);
  c_.log.Append(kNoEntryChosen);
}

void DialPresenter::DialStatus(const std::string& text) {
  c_.status_bar.SetText(text);
}

std::string DialPresenter::AskUserName() {
  return shell_.AskCredential(WindowShell::Credential::kUserName).value_or("");
}

std::string DialPresenter::AskPassword() {
  return shell_.AskCredential(WindowShell::Credential::kPassword).value_or("");
}

void DialPresenter::HungUp() {
  c_.log.Append(kHungUp);
}

}  // namespace tempiko::app
