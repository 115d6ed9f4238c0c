#include "sync/run_state.h"

#include "sync/ntp_message.h"

namespace tempiko::sync {

std::optional<std::uint64_t> RunState::Begin(const std::string& server_text) {
  std::lock_guard lock(lock_);
  if (phase_ != Phase::kIdle) {
    return std::nullopt;
  }
  phase_ = Phase::kWorking;
  server_text_ = server_text;
  return ++run_number_;
}

void RunState::End() {
  std::lock_guard lock(lock_);
  phase_ = Phase::kIdle;
}

std::string RunState::ServerText() const {
  std::lock_guard lock(lock_);
  return server_text_;
}

void RunState::SetDialResult(int dial_result) {
  std::lock_guard lock(lock_);
  dial_result_ = dial_result;
}

void RunState::SetServer(const std::string& address_text, net::Ipv4Address address) {
  std::lock_guard lock(lock_);
  server_address_text_ = address_text;
  server_address_ = address;
}

void RunState::ExpectReply(DateTime before_send) {
  std::lock_guard lock(lock_);
  t1_ = before_send;
  if (phase_ == Phase::kWorking) {
    phase_ = Phase::kAwaitingReply;
  }
}

void RunState::RecordSend(DateTime t1) {
  std::lock_guard lock(lock_);
  t1_ = t1;
  if (phase_ == Phase::kWorking) {
    phase_ = Phase::kAwaitingReply;
  }
}

std::optional<RunState::AwaitedRun> RunState::AwaitingReplyFrom(net::Ipv4Address address,
                                                                int port) const {
  std::lock_guard lock(lock_);
  if (phase_ != Phase::kAwaitingReply || port != kNtpServerPort || address != server_address_) {
    return std::nullopt;
  }
  return AwaitedRun{t1_, dial_result_};
}

std::optional<RunState::AwaitedRun> RunState::AwaitingReply() const {
  std::lock_guard lock(lock_);
  if (phase_ != Phase::kAwaitingReply) {
    return std::nullopt;
  }
  return AwaitedRun{t1_, dial_result_};
}

bool RunState::StillAwaiting(std::uint64_t run_number) const {
  std::lock_guard lock(lock_);
  return run_number == run_number_ && phase_ == Phase::kAwaitingReply;
}

bool RunState::IsLatest(std::uint64_t run_number) const {
  std::lock_guard lock(lock_);
  return run_number == run_number_;
}

bool RunState::InProgress() const {
  std::lock_guard lock(lock_);
  return phase_ != Phase::kIdle;
}

int RunState::DialResult() const {
  std::lock_guard lock(lock_);
  return dial_result_;
}

std::string RunState::ServerAddress() const {
  std::lock_guard lock(lock_);
  return server_address_text_;
}

DateTime RunState::T1() const {
  std::lock_guard lock(lock_);
  return t1_;
}

}  // namespace tempiko::sync
