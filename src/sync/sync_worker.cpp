#include "sync/sync_worker.h"

#include <chrono>
#include <exception>

#include "base/errors.h"
#include "sync/sync_run.h"
#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

constexpr auto kLinkQueryPause = std::chrono::milliseconds(100);

constexpr char kDialledLog[] = "ダイアルアップ接続しました";
constexpr char kRequestSentLog[] = "ﾘｸｴｽﾄ送信:ServerPort=123 LocalPort=8263";
constexpr char kOffsetLabelPending[] = "±0";

}  // namespace

void TRASThreed::Execute() {
  try {
    Steps();
  } catch (const EAbort&) {
    // Silent by definition: whoever raised it has said all there is to say.
  } catch (const std::exception& failure) {
    run_.EndAfterWorkerFailure(failure.what());
  } catch (...) {
    run_.EndAfterWorkerFailure("");
  }
}

void TRASThreed::Steps() {
  const int dial_result = run_.dial_.DialEntry();
  {
    std::lock_guard lock(run_.state_lock_);
    run_.dial_result_ = dial_result;
  }
  if (dial_result == drStop) {
    OnWindow([this] { run_.EndRun(); });  // the decision's own message stands
    return;
  }
  if (dial_result == drDialled || dial_result == drLinkSeen) {
    WaitForLink();
    if (dial_result == drDialled) {
      Log(kDialledLog);
    }
  }
  if (run_.ResolveServer()) {
    return;
  }
  SendRequest();
  OnWindow([this, dial_result] { run_.ArmReplyTimeout(run_number_, dial_result); });
}

// Polls the link's state until it reads connected, at most 601 queries and 600 pauses, always
// at least one pause. The run goes on whether or not the link came up.
void TRASThreed::WaitForLink() {
  for (int passes = 1;; ++passes) {
    const bool connected = run_.dial_.LinkConnected();
    if (passes > kMaxLinkQueries) {
      return;
    }
    run_.dial_.Pause(kLinkQueryPause);
    if (connected) {
      return;
    }
  }
}

void TRASThreed::SendRequest() {
  const std::string requested_at =
      DateTimeText(run_.clock_.clock().LocalNow(), run_.locale_);  // the system's own reading
  std::string server_text;
  std::string server_address;
  {
    std::lock_guard lock(run_.state_lock_);
    server_text = run_.server_text_;
    server_address = run_.server_address_;
  }
  OnWindow([&] {
    run_.Memo1.Append("Request:" + requested_at);
    run_.Memo1.Append("NTPサーバ:" + server_text);
    run_.Memo1.Append("IPアドレス:" + server_address);
  });

  net::TNMUDP& endpoint = run_.NMUDP1;
  endpoint.RemoteHost = server_address;
  endpoint.RemotePort = SyncRun::kServerPort;
  BuildRequest(run_.message_);
  OnWindow([this] {
    run_.Label1.SetText(kOffsetLabelPending);
    run_.StatusBar1.SetText("");
  });
  Log(kRequestSentLog);
  // NMUDP1DataSend records T1 as soon as the datagram is handed to the socket; the reply is
  // awaited from just before, as it may come back before the endpoint reports the send.
  run_.ExpectReply();
  endpoint.SendDatagram(run_.message_, static_cast<std::int32_t>(kNtpMessageSize));
}

void TRASThreed::OnWindow(const std::function<void()>& change) {
  run_.window_.Invoke(change);
}

void TRASThreed::Log(const std::string& line) {
  OnWindow([this, &line] { run_.Memo1.Append(line); });
}

}  // namespace tempiko::sync
