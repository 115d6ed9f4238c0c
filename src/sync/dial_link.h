#pragma once

#include <chrono>

namespace tempiko::sync {

// What the dial decision answers, kept by the run as DialResult. Any other value means the
// dial failed, and the value is the dialler's error code.
inline constexpr int drDialled = 0;   // this run dialled the link
inline constexpr int drStop = 1;      // no run: the decision refused (its message stands)
inline constexpr int drOnline = 2;    // LAN, or a listed entry already online
inline constexpr int drLinkSeen = 3;  // the dial-up watcher saw the link come up

// The dial-up link as a synchronisation run sees it. The run asks for the dial decision on its
// worker, waits there for a link to come up, and hangs up a link it dialled once its reply has
// been evaluated (or at the timeout of an unattended run).
class DialLink {
 public:
  virtual ~DialLink() = default;

  // The dial decision (DialEntry): decides whether to dial, dials when it must (blocking), and
  // answers one of the dr… values or the dialler's error code. Runs on the worker.
  virtual int DialEntry() = 0;
  // One query of the link's state (RasGetConnectStatus): whether it reads "connected".
  virtual bool LinkConnected() = 0;
  // The pause between two queries of the link's state (Sleep on the worker).
  virtual void Pause(std::chrono::milliseconds duration) = 0;
  // Hangs the link up at once, on the calling (window) thread.
  virtual void HangUp() = 0;
  // Starts the hang-up worker, which hangs up on its own thread and logs it.
  virtual void StartHangUpWorker() = 0;
};

// The link of a computer that reaches its server over the LAN: always online, never dialled.
class LanLink final : public DialLink {
 public:
  int DialEntry() override { return drOnline; }
  bool LinkConnected() override { return true; }
  void Pause(std::chrono::milliseconds) override {}
  void HangUp() override {}
  void StartHangUpWorker() override {}
};

}  // namespace tempiko::sync
