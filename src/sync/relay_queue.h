#pragma once

#include "sync/ntp_message.h"

namespace tempiko::sync {

// The LAN clients waiting for the relay's answer, as the synchronisation run consults them: the
// first reply of the server goes to them instead of setting this computer's clock, and a run
// that ends without a reply gives up on them.
class RelayQueue {
 public:
  virtual ~RelayQueue() = default;

  virtual bool HasWaitingClients() = 0;
  // Sends the first 48 bytes of the reply to every waiting client, empties the queue and logs
  // the forward. Window thread.
  virtual void Forward(const MessageBuffer& reply) = 0;
  // Gives up on every waiting client. Window thread.
  virtual void Clear() = 0;
};

// No relay: nobody ever waits.
class NoRelayClients final : public RelayQueue {
 public:
  bool HasWaitingClients() override { return false; }
  void Forward(const MessageBuffer&) override {}
  void Clear() override {}
};

}  // namespace tempiko::sync
