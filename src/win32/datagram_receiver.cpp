#include "win32/datagram_receiver.h"

#include <algorithm>
#include <utility>

namespace tempiko::win32 {
namespace {

// Failures that concern one datagram only, which is gone with them: too large for the area,
// or an ICMP report about an earlier send. Any other failure means the socket cannot receive
// (not bound, closed, the library ended, the receive cancelled).
bool EndsOneDatagram(int error) {
  return error == WSAEMSGSIZE || error == WSAECONNRESET || error == WSAENETRESET;
}

std::uint64_t SenderKey(std::uint32_t address, std::uint16_t port) {
  return std::uint64_t{1} << 48 | std::uint64_t{address} << 16 | port;
}

// How a receive cancelled by CancelIoEx fails.
bool WasCancelled(int error) {
  return error == WSA_OPERATION_ABORTED || error == WSAEINTR;
}

}  // namespace

DatagramReceiver::DatagramReceiver(SOCKET socket, net::ArrivalClock arrival_clock,
                                   std::function<void()> on_queued)
    : socket_(socket),
      arrival_clock_(std::move(arrival_clock)),
      on_queued_(std::move(on_queued)),
      slots_(kQueueCapacity) {
  thread_ = std::thread([this] {
    Run();
    SetEvent(finished_.get());
  });
}

DatagramReceiver::~DatagramReceiver() {
  stopping_ = true;
  SetEvent(stop_.get());
  // A cancel finds nothing while the thread is between two receives, and the next one would
  // then block: cancel again until the thread is out.
  do {
    CancelIoEx(reinterpret_cast<HANDLE>(socket_), nullptr);
  } while (WaitForSingleObject(finished_.get(), 5) == WAIT_TIMEOUT);
  thread_.join();
}

void DatagramReceiver::Run() {
  while (Slot* slot = WaitForFreeSlot()) {
    if (!ReceiveInto(*slot)) {
      // Nothing more will come from this socket (or the receiver is being stopped).
      WaitForSingleObject(stop_.get(), INFINITE);
      return;
    }
  }
}

DatagramReceiver::Slot* DatagramReceiver::WaitForFreeSlot() {
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_)
        return nullptr;
      // Only this thread writes beyond the queued ones, so the slot is ours without the lock.
      if (count_ < slots_.size())
        return &slots_[(head_ + count_) % slots_.size()];
    }
    const HANDLE waits[2] = {stop_.get(), room_.get()};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  }
}

void DatagramReceiver::ExpectReply() {
  watch_until_ = GetTickCount64() + kWatchMs;
  ++sends_;
  // Wakes the thread if it is blocked in its receive; if it is not, it sees the window before
  // it next blocks (or, rarely, blocks anyway and stamps the reply as it wakes).
  CancelIoEx(reinterpret_cast<HANDLE>(socket_), nullptr);
}

std::optional<double> DatagramReceiver::WatchForDatagram() {
  // Each look at the waiting byte count is a request to the system (under Wine a round trip
  // through wineserver, tens of microseconds), so a datagram found waiting arrived at some
  // instant between the start of the look before and the end of the look that found it: it is
  // stamped in the middle of that span. Found by the first look, it may have waited since
  // before the watch began: it gets the end of that look, as a blocking receive would. (An
  // empty datagram shows no waiting bytes: the blocking receive takes it once the watch ends.)
  std::optional<double> previous_start;
  while (!stopping_ && GetTickCount64() < watch_until_) {
    const double start = arrival_clock_();
    u_long waiting = 0;
    if (ioctlsocket(socket_, FIONREAD, &waiting) != 0)
      break;  // the receive reports what is wrong
    if (waiting > 0) {
      const double end = arrival_clock_();
      watch_until_ = 0;  // the reply has come: block again after it
      return previous_start ? (*previous_start + end) / 2 : end;
    }
    previous_start = start;
    SwitchToThread();
  }
  return std::nullopt;
}

void DatagramReceiver::AcceptOnlyFrom(net::Ipv4Address address, std::uint16_t port) {
  accepted_sender_ = SenderKey(address, port);
}

bool DatagramReceiver::ReceiveInto(Slot& slot) {
  for (;;) {
    const unsigned sends = sends_;
    const ULONGLONG watch_until = watch_until_;
    const std::optional<double> seen = WatchForDatagram();
    if (stopping_)
      return false;
    sockaddr_in sender{};
    int sender_size = sizeof(sender);
    const int count = recvfrom(socket_, reinterpret_cast<char*>(slot.bytes.data()), kAreaSize, 0,
                               reinterpret_cast<sockaddr*>(&sender), &sender_size);
    // Stamped first: whatever follows delays the datagram's handling, not its instant.
    const double arrival = seen ? *seen : arrival_clock_();
    slot.count = count;
    slot.error = 0;
    if (count == SOCKET_ERROR) {
      slot.count = -1;
      slot.error = WSAGetLastError();
      if (stopping_)
        return false;
      if (WasCancelled(slot.error) && sends_ != sends)
        continue;  // woken to watch for a reply
      if (!EndsOneDatagram(slot.error))
        return false;
    } else if (const std::uint64_t accepted = accepted_sender_;
               accepted != 0 &&
               SenderKey(sender.sin_addr.s_addr, ntohs(sender.sin_port)) != accepted) {
      // Not the one awaited: dropped here, and if the watch for a reply ended on it, the watch
      // goes on (unless a new send has set one of its own meanwhile).
      if (seen) {
        ULONGLONG ended = 0;
        watch_until_.compare_exchange_strong(ended, watch_until);
      }
      continue;
    }
    slot.origin = {sender.sin_addr.s_addr, ntohs(sender.sin_port), arrival};
    Publish();
    return true;
  }
}

void DatagramReceiver::Publish() {
  {
    std::lock_guard lock(mutex_);
    ++count_;
  }
  on_queued_();
}

bool DatagramReceiver::HasQueued() const {
  std::lock_guard lock(mutex_);
  return count_ != 0;
}

int DatagramReceiver::Take(std::uint8_t* area, int capacity, net::DatagramOrigin* origin,
                           int* error) {
  std::lock_guard lock(mutex_);
  if (count_ == 0) {
    *error = WSAEWOULDBLOCK;
    return -1;
  }
  const Slot& slot = slots_[head_];
  *origin = slot.origin;
  *error = slot.error;
  int count = slot.count;
  if (count > capacity) {
    count = -1;
    *error = WSAEMSGSIZE;  // too large for the caller: taken and lost
  } else if (count > 0) {
    std::copy_n(slot.bytes.begin(), count, area);
  }
  // The slot is free only now that it has been copied.
  head_ = (head_ + 1) % slots_.size();
  if (count_-- == slots_.size())
    SetEvent(room_.get());
  return count;
}

}  // namespace tempiko::win32
