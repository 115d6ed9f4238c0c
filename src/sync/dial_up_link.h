#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "loop/threads.h"
#include "sync/dial_link.h"
#include "sync/relay_queue.h"
#include "sync/remote_access.h"

namespace tempiko::sync {

// The connection box's first item: reach the server over the LAN, never dial.
inline constexpr char kLanEntry[] = "LAN経由接続";

// What the dial-up link shows and asks in the main window. Window thread.
class DialView {
 public:
  virtual ~DialView() = default;

  // The connection box's text: the chosen entry.
  virtual std::string ChosenEntry() = 0;
  // The box's phone-book entries: its items after "LAN経由接続".
  virtual std::vector<std::string> ListedEntries() = 0;
  // No entry chosen: "接続先を指定して下さい" on the status line (status bar and log).
  virtual void NoEntryChosen() = 0;
  // A text on the status bar only: "Dialing...", "Connected", the dialler's error texts.
  virtual void DialStatus(const std::string& text) = 0;
  // The prompts for a user name and a password ("ユーザ名" / "パスワード"): the answer, empty
  // when cancelled. The password is typed masked.
  virtual std::string AskUserName() = 0;
  virtual std::string AskPassword() = 0;
  // The hang-up worker has hung the link up: "ダイアルアップ切断しました" in the log.
  virtual void HungUp() = 0;
};

// The connection box as the phone-book fills it.
struct EntryList {
  std::vector<std::string> items;  // "LAN経由接続", then the entries in the dialler's order
  int index = 0;                   // the item to select
};

// "LAN経由接続" and the phone-book's entries; the remembered entry stays chosen when it is listed
// (its later occurrence when listed twice), else "LAN経由接続" is. A phone-book the dialler cannot
// list (none, or more than 100 entries) lists nothing.
EntryList BuildEntryList(const std::string& remembered,
                         const std::optional<std::vector<std::string>>& entries);

// The dial-up link of a computer whose way to its server may be a phone-book entry of the
// system's dialler: the dial decision of each run, the watcher's view of the links, and the
// hang-up of a link this program dialled. A link that was up already, or that another program
// brought up, is never hung up.
class DialUpLink final : public DialLink {
 public:
  static constexpr std::size_t kMaxPromptLength = 255;  // characters a prompt's field takes
  using Sleeper = std::function<void(std::chrono::milliseconds)>;

  DialUpLink(RemoteAccess& dialler, DialView& view, RelayQueue& relay, loop::WindowThread& window,
             loop::WorkerStarter& workers, Sleeper pause);

  // DialLink: DialEntry and LinkConnected on the worker, HangUp and StartHangUpWorker on the
  // window thread.
  int DialEntry() override;
  bool LinkConnected() override;
  void Pause(std::chrono::milliseconds duration) override;
  void HangUp() override;
  void StartHangUpWorker() override;

  // Whether any listed entry is online now; a match becomes the link this program acts on
  // (the last match, when several are online). Either thread.
  bool AnyEntryOnline(const std::vector<std::string>& listed);

  // The watcher's tick (window thread): answers whether a run should start, which is when a
  // listed entry has come online since the last tick that saw none. `run_in_progress`: the
  // link is noted but no run is asked for.
  bool WatcherSeesNewLink(const std::vector<std::string>& listed, bool run_in_progress);
  // The watcher stopped: what it saw may be gone by the time it runs again.
  void ForgetSeenLink() { link_seen_ = false; }

  bool LinkSeen() const { return link_seen_; }
  ConnectionHandle Connection() const { return connection_; }

 private:
  int DialChosenEntry(const std::string& entry);
  // Runs a step of the window (the box, the prompts, the status bar) from the worker.
  template <typename Step>
  auto OnWindow(Step step);

  RemoteAccess& dialler_;
  DialView& view_;
  RelayQueue& relay_;
  loop::WindowThread& window_;
  loop::WorkerStarter& workers_;
  Sleeper pause_;
  // The link the program dials, waits on and hangs up; it keeps the last handle.
  std::atomic<ConnectionHandle> connection_{0};
  // The watcher has seen a listed entry online and started a run for it.
  std::atomic<bool> link_seen_{false};
};

}  // namespace tempiko::sync
