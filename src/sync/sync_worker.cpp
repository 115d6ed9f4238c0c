#include "sync/sync_worker.h"

#include <chrono>
#include <exception>
#include <optional>

#include "base/errors.h"
#include "sync/ntp_message.h"

namespace tempiko::sync {
namespace {

constexpr auto kLinkQueryPause = std::chrono::milliseconds(100);

}  // namespace

void SyncWorker::Run() {
  try {
    Steps();
  } catch (const EAbort&) {
    // Silent by definition: whoever raised it has said all there is to say.
  } catch (const std::exception& failure) {
    EndAfterFailure(failure.what());
  } catch (...) {
    EndAfterFailure("");
  }
}

void SyncWorker::Steps() {
  const int dial_result = ports_.dial.DialEntry();
  ports_.state.SetDialResult(dial_result);
  if (dial_result == drStop) {
    OnWindow([this] { ports_.endings.EndRun(); });  // the decision's own message stands
    return;
  }
  if (dial_result == drDialled || dial_result == drLinkSeen) {
    WaitForLink();
    if (dial_result == drDialled) {
      OnWindow([this] { ports_.view.LinkDialled(); });
    }
  }
  if (!ResolveServer()) {
    return;
  }
  SendRequest(/*dial_failed=*/dial_result != drOnline && dial_result != drLinkSeen &&
              dial_result != drDialled);
  OnWindow([this, dial_result] { ports_.endings.ArmReplyTimeout(run_number_, dial_result); });
}

// Polls the link's state until it reads connected, at most 601 queries and 600 pauses, always
// at least one pause. The run goes on whether or not the link came up.
void SyncWorker::WaitForLink() {
  for (int passes = 1;; ++passes) {
    const bool connected = ports_.dial.LinkConnected();
    if (passes > kMaxLinkQueries) {
      return;
    }
    ports_.dial.Pause(kLinkQueryPause);
    if (connected) {
      return;
    }
  }
}

// A dotted text is used exactly as typed and never looked up; a name is looked up once, here.
// A name that resolves to 0.0.0.0 counts as not found.
bool SyncWorker::ResolveServer() {
  const std::string text = ports_.state.ServerText();
  std::string address_text = text;
  std::optional<net::Ipv4Address> address;
  const net::Ipv4Address dotted = ports_.resolver.ParseAddress(text);
  if (dotted != net::kAddressNone) {
    address = dotted;
  } else if (const auto found = ports_.resolver.LookupHost(text); found && *found != 0) {
    address = found;
    address_text = net::FormatAddress(*found);
  }
  if (!address) {
    OnWindow([this] {
      ports_.view.ServerNotFound();
      ports_.endings.EndRun();
    });
    return false;
  }
  ports_.state.SetServer(address_text, *address);
  server_ = *address;
  return true;
}

void SyncWorker::SendRequest(bool dial_failed) {
  const RequestRecord request{ports_.clock.clock().LocalNow(),  // the system's own reading
                              ports_.state.ServerText(), ports_.state.ServerAddress()};
  // The log lines are posted, not waited for: a LAN client of the relay waits for this request.
  // They name the view itself: this worker may be gone by the time they run.
  RunView& view = ports_.view;
  ports_.window.Post([&view, request] { view.RequestPrepared(request); });

  net::UdpEndpoint& endpoint = ports_.endpoint;
  endpoint.RemoteHost = request.server_address;
  endpoint.RemotePort = kNtpServerPort;
  MessageBuffer message;
  BuildRequest(message);
  ports_.window.Post([&view, dial_failed] { view.RequestSending(dial_failed); });
  // The endpoint reports the send (T1) as soon as the datagram is handed to the socket; the
  // reply is awaited from just before, as it may come back before that report.
  // Only the server's answer is wanted on this port: a flood from elsewhere is dropped as it
  // arrives, before it can crowd the reply out.
  endpoint.AcceptOnlyFrom(server_, kNtpServerPort);
  ports_.state.ExpectReply(ports_.clock.UtcNow());
  endpoint.SendDatagram(message, static_cast<std::int32_t>(kNtpMessageSize));
}

void SyncWorker::EndAfterFailure(const std::string& text) {
  try {
    OnWindow([this, &text] {
      ports_.view.RunFailed(text);
      ports_.endings.EndRun();
    });
  } catch (...) {
    // The window is going away; nobody is left to tell.
  }
}

void SyncWorker::OnWindow(const std::function<void()>& change) {
  ports_.window.Invoke(change);
}

}  // namespace tempiko::sync
