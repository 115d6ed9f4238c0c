#pragma once

#include <cstdint>
#include <functional>

#include "loop/threads.h"
#include "net/host_resolver.h"
#include "net/udp_endpoint.h"
#include "sync/clock_reader.h"
#include "sync/dial_link.h"
#include "sync/run_state.h"
#include "sync/run_view.h"

namespace tempiko::sync {

// What a worker hands back to its run, on the window thread.
class RunEndings {
 public:
  // The run is over, however it ended.
  virtual void EndRun() = 0;
  // The request is out: the reply timeout for the dial result, unless the reply has already
  // been handled (or another run has begun meanwhile).
  virtual void ArmReplyTimeout(std::uint64_t run_number, int dial_result) = 0;

 protected:
  ~RunEndings() = default;
};

// Everything a worker works with; the run owns it all.
struct SyncWorkerPorts {
  RunState& state;
  RunEndings& endings;
  RunView& view;
  DialLink& dial;
  net::HostResolver& resolver;
  net::UdpEndpoint& endpoint;  // the upstream endpoint, local port 8263
  ClockReader& clock;
  loop::WindowThread& window;
};

// The synchronisation worker: one per run, on a thread of its own. It takes the dial decision,
// waits for a freshly dialled link, resolves the server, sends the request and arms the reply
// timeout. Each change it makes to the window is carried out on the window thread, in order,
// and waited for.
class SyncWorker {
 public:
  static constexpr int kMaxLinkQueries = 600;  // passes with a pause: about a minute

  SyncWorker(const SyncWorkerPorts& ports, std::uint64_t run_number)
      : ports_(ports), run_number_(run_number) {}

  // The thread body. Nothing escapes it: the silent EAbort ends it quietly, any other failure
  // ends the run with the failure's text on the status line.
  void Run();

 private:
  void Steps();
  void WaitForLink();
  // Turns the server text into an address; false when that failed (the run has ended).
  bool ResolveServer();
  void SendRequest(bool dial_failed);
  void EndAfterFailure(const std::string& text);
  void OnWindow(const std::function<void()>& change);

  SyncWorkerPorts ports_;
  const std::uint64_t run_number_;
  net::Ipv4Address server_ = 0;  // the server's address, once resolved
};

}  // namespace tempiko::sync
