#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "net/socket_layer.h"
#include "sync/date_time.h"
#include "sync/dial_link.h"

namespace tempiko::sync {

// The state of the synchronisation run, shared by the window thread and the run's worker.
// Every access takes the lock; nothing outside reaches the fields.
//
// One run at a time: Begin refuses while a run is in progress, so a reply is only ever judged
// against the send instant of its own run.
class RunState {
 public:
  // What the reply handler needs of the run that awaits a reply.
  struct AwaitedRun {
    DateTime t1 = 0;
    int dial_result = drOnline;
  };

  // Window thread: begins a run for the server text; its number, or nothing while another run
  // is in progress.
  std::optional<std::uint64_t> Begin(const std::string& server_text);
  // Every ending: the run is over.
  void End();

  // Worker.
  std::string ServerText() const;
  void SetDialResult(int dial_result);
  // The server's address as it is shown (as typed, or as looked up) and its value.
  void SetServer(const std::string& address_text, net::Ipv4Address address);
  // Right before the send: from now on the server's reply is awaited, with the instant before
  // the send as T1 until RecordSend takes the send's own instant. A fast reply may be handled
  // on the window thread before the endpoint reports the send.
  void ExpectReply(DateTime before_send);
  void RecordSend(DateTime t1);

  // Window thread: the awaiting run, if the datagram from address:port is its server's reply.
  // Addresses are compared as values.
  std::optional<AwaitedRun> AwaitingReplyFrom(net::Ipv4Address address, int port) const;
  // The awaiting run, whatever sent what.
  std::optional<AwaitedRun> AwaitingReply() const;
  // Whether `run_number` is the latest run and still awaits its reply.
  bool StillAwaiting(std::uint64_t run_number) const;
  bool IsLatest(std::uint64_t run_number) const;

  // Readable from any thread.
  bool InProgress() const;
  int DialResult() const;
  std::string ServerAddress() const;
  DateTime T1() const;

 private:
  enum class Phase { kIdle, kWorking, kAwaitingReply };

  mutable std::mutex lock_;
  Phase phase_ = Phase::kIdle;
  std::uint64_t run_number_ = 0;
  int dial_result_ = drOnline;
  std::string server_text_;
  std::string server_address_text_;
  net::Ipv4Address server_address_ = 0;
  DateTime t1_ = 0;
};

}  // namespace tempiko::sync
