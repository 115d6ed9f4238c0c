#include "sync/dial_up_link.h"

#include <optional>
#include <type_traits>
#include <utility>

namespace tempiko::sync {
namespace {

constexpr char kDialing[] = "Dialing...";
constexpr char kConnected[] = "Connected";

}  // namespace

EntryList BuildEntryList(const std::string& remembered,
                         const std::optional<std::vector<std::string>>& entries) {
  EntryList list{{kLanEntry}, 0};
  if (!entries) {
    return list;
  }
  for (const std::string& name : *entries) {
    list.items.push_back(name);
    if (name == remembered) {
      list.index = static_cast<int>(list.items.size()) - 1;
    }
  }
  return list;
}

DialUpLink::DialUpLink(RemoteAccess& dialler, DialView& view, RelayQueue& relay,
                       loop::WindowThread& window, loop::WorkerStarter& workers, Sleeper pause)
    : dialler_(dialler),
      view_(view),
      relay_(relay),
      window_(window),
      workers_(workers),
      pause_(std::move(pause)) {}

template <typename Step>
auto DialUpLink::OnWindow(Step step) {
  using Result = std::invoke_result_t<Step>;
  if constexpr (std::is_void_v<Result>) {
    window_.Invoke(step);
  } else {
    std::optional<Result> result;
    window_.Invoke([&] { result = step(); });
    return std::move(*result);
  }
}

int DialUpLink::DialEntry() {
  if (link_seen_) {
    return drLinkSeen;
  }
  const std::string entry = OnWindow([this] { return view_.ChosenEntry(); });
  if (entry == kLanEntry) {
    return drOnline;
  }
  if (AnyEntryOnline(OnWindow([this] { return view_.ListedEntries(); }))) {
    return drOnline;
  }
  if (entry.empty()) {
    OnWindow([this] { view_.NoEntryChosen(); });
    return drStop;
  }
  // A LAN client's request never makes this program dial.
  if (relay_.HasWaitingClients()) {
    return drStop;
  }
  return DialChosenEntry(entry);
}

int DialUpLink::DialChosenEntry(const std::string& entry) {
  DialParameters params;  // wiped when it goes, whatever happens
  params.entry_name = entry;
  if (const int error = dialler_.GetDialParameters(params); error != 0) {
    std::string text = dialler_.ErrorText(error);
    OnWindow([&] { view_.DialStatus(text); });
    return drStop;
  }
  if (params.user_name.empty()) {
    params.user_name = OnWindow([this] { return view_.AskUserName(); });
  }
  // Without a saved password there is nothing to ask for: the field goes as the entry left it.
  if (params.password_retrieved && params.password.empty()) {
    params.password = OnWindow([this] { return view_.AskPassword(); });
  }
  connection_ = 0;
  OnWindow([this] { view_.DialStatus(kDialing); });
  ConnectionHandle handle = 0;
  const int result = dialler_.Dial(params, handle);
  params.Wipe();
  connection_ = handle;
  if (result == 0) {
    OnWindow([this] { view_.DialStatus(kConnected); });
    return drDialled;
  }
  // A failed dial may leave a half-made connection behind.
  if (handle != 0) {
    dialler_.HangUp(handle);
  }
  const std::string text = dialler_.ErrorText(result);
  OnWindow([&] { view_.DialStatus(text); });
  return result;
}

bool DialUpLink::AnyEntryOnline(const std::vector<std::string>& listed) {
  bool found = false;
  for (const ActiveConnection& connection : dialler_.Connections()) {
    for (const std::string& name : listed) {
      if (connection.entry_name == name) {
        found = true;
        connection_ = connection.handle;
        break;
      }
    }
  }
  return found;
}

bool DialUpLink::LinkConnected() {
  return dialler_.Connected(connection_);
}

void DialUpLink::Pause(std::chrono::milliseconds duration) {
  pause_(duration);
}

void DialUpLink::HangUp() {
  dialler_.HangUp(connection_);
}

void DialUpLink::StartHangUpWorker() {
  // The window does not wait for the line to drop; the log says when it has.
  workers_.Start([this, handle = ConnectionHandle{connection_}] {
    dialler_.HangUp(handle);
    window_.Post([this] { view_.HungUp(); });
  });
}

bool DialUpLink::WatcherSeesNewLink(const std::vector<std::string>& listed, bool run_in_progress) {
  if (!AnyEntryOnline(listed)) {
    link_seen_ = false;
    return false;
  }
  if (link_seen_) {
    return false;  // still the link a run was started for
  }
  // A run in progress (one that dialled this very link, say) is the run for it.
  link_seen_ = true;
  return !run_in_progress;
}

}  // namespace tempiko::sync
