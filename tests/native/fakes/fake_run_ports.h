#pragma once

// Test doubles of the synchronisation run's smaller ports: the dial-up link, the relay queue
// and the program shell. Each records what the run asked of it.

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "sync/dial_link.h"
#include "sync/ntp_message.h"
#include "sync/program_shell.h"
#include "sync/relay_queue.h"

namespace tempiko::fakes {

class FakeDialLink final : public sync::DialLink {
 public:
  int dial_result = sync::drOnline;  // what DialEntry answers
  int connected_at_query = 1;        // the first query that reads connected (0: never)
  std::string dial_failure;          // when set, DialEntry throws it

  int dial_calls = 0;
  int queries = 0;
  std::vector<std::chrono::milliseconds> pauses;
  int hang_ups = 0;
  int hang_up_workers = 0;

  int DialEntry() override {
    ++dial_calls;
    if (!dial_failure.empty()) {
      throw std::runtime_error(dial_failure);
    }
    return dial_result;
  }
  bool LinkConnected() override {
    ++queries;
    return connected_at_query != 0 && queries >= connected_at_query;
  }
  void Pause(std::chrono::milliseconds duration) override { pauses.push_back(duration); }
  void HangUp() override { ++hang_ups; }
  void StartHangUpWorker() override { ++hang_up_workers; }
};

class FakeRelayQueue final : public sync::RelayQueue {
 public:
  int waiting = 0;  // clients waiting
  std::vector<sync::MessageBuffer> forwarded;
  int clears = 0;

  bool HasWaitingClients() override { return waiting > 0; }
  void Forward(const sync::MessageBuffer& reply) override {
    forwarded.push_back(reply);
    waiting = 0;
  }
  void Clear() override {
    ++clears;
    waiting = 0;
  }
};

class FakeProgramShell final : public sync::ProgramShell {
 public:
  std::string first_argument;
  int argument_reads = 0;
  int closes = 0;

  std::string FirstArgument() override {
    ++argument_reads;
    return first_argument;
  }
  void CloseMainWindow() override { ++closes; }
};

}  // namespace tempiko::fakes
