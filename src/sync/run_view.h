#pragma once

#include <string>

#include "sync/date_time.h"
#include "sync/exchange.h"

namespace tempiko::sync {

// The request of a run as the log records it, before it is sent.
struct RequestRecord {
  DateTime requested_at = 0;   // the system's local date-time when the request was prepared
  std::string server_text;     // the server as the user gave it
  std::string server_address;  // its dotted address: as typed, or as looked up
};

// What the user sees of a synchronisation run. The run decides and computes; the window's
// presenter shows it. Every call comes on the window thread, in the order of the run's steps.
class RunView {
 public:
  virtual ~RunView() = default;

  // The tolerance in milliseconds as the user has set it at this moment.
  virtual int ToleranceMs() = 0;

  // A run has begun: Connect is off until it ends.
  virtual void RunStarted() = 0;
  // The link this run dialled is up (or the wait for it is over).
  virtual void LinkDialled() = 0;
  // The server is known and the request about to be built.
  virtual void RequestPrepared(const RequestRecord& request) = 0;
  // The request is about to leave: the last correction's label and the status line reset. After
  // a failed dial the status line keeps the dialler's text, or nobody would ever read it.
  virtual void RequestSending(bool dial_failed) = 0;
  // A reply of the server, decoded and judged against `tolerance_ms`. A reply that does not
  // set the clock (too slow, within the tolerance) says so here, before the run's ending.
  virtual void ReplyJudged(const DecodedReply& reply, Verdict verdict, int tolerance_ms) = 0;
  // The clock has been set by the reply's offset; `local_now` is the new local time.
  virtual void ClockCorrected(const DecodedReply& reply, DateTime local_now) = 0;
  // After the ending of a run that set the clock, or tried to: 0, or the platform's error.
  virtual void CorrectionFinished(int error) = 0;
  // The server could not be found, or not used as an address.
  virtual void ServerNotFound() = 0;
  // The reply timeout: the server did not answer.
  virtual void NoResponse() = 0;
  // A failure the run did not expect ended it; its text (may be empty).
  virtual void RunFailed(const std::string& text) = 0;
  // The endpoint's own progress report.
  virtual void EndpointStatus(const std::string& text) = 0;
  // The run is over, however it ended: Connect is usable again.
  virtual void RunEnded() = 0;
};

}  // namespace tempiko::sync
