#pragma once

#include <windows.h>
#include <winsock2.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "net/socket_layer.h"
#include "win32/owned.h"

namespace tempiko::win32 {

// Takes the datagrams of one socket on a thread of its own, the moment they arrive, and stamps
// each with the arrival clock right after its recvfrom. However busy the window thread is (a
// repaint, the log being drawn), it later gets each datagram with the instant it really arrived.
//
// The thread sits in a blocking recvfrom: under Wine that wakes sooner after a datagram arrives
// than waiting for the socket's event or for an overlapped receive. It is stopped by cancelling
// the pending receive (CancelIoEx), before the socket is closed.
//
// Even so, a blocked receive wakes a fraction of a millisecond after its datagram arrived, and
// that lateness goes straight into the offset a run measures. A reply is awaited only just after
// a send, though: the owner calls ExpectReply() before each send, which wakes the thread out of
// its receive, and for a short while the thread watches the socket's waiting byte count instead,
// yielding between looks, and stamps a datagram the moment it shows. Once one has come, or the
// while is over, the thread blocks again and costs nothing while idle.
//
// The datagrams wait in a queue of fixed size. While it is full the receiver takes nothing, so
// further datagrams wait in the socket's own buffer as they would without a receiver, until the
// window thread makes room: a flood costs no more memory than the queue, and the receiver only
// adds to what the socket can hold.
class DatagramReceiver {
 public:
  // Receive area of one datagram, as large as the endpoint's: a larger datagram is taken from
  // the socket and counts as a failed receive.
  static constexpr int kAreaSize = 2048;
  static constexpr std::size_t kQueueCapacity = 64;

  // Starts receiving from `socket`. `on_queued` runs on the receiver's thread after each
  // datagram has joined the queue, and must not block.
  DatagramReceiver(SOCKET socket, net::ArrivalClock arrival_clock, std::function<void()> on_queued);
  // Stops the thread and waits for it; the socket stays open.
  ~DatagramReceiver();
  DatagramReceiver(const DatagramReceiver&) = delete;
  DatagramReceiver& operator=(const DatagramReceiver&) = delete;

  // How long after a send the thread watches for its reply rather than blocking.
  static constexpr ULONGLONG kWatchMs = 50;

  SOCKET socket() const { return socket_; }
  // A send on the socket is about to happen: watch for its reply for the next kWatchMs.
  void ExpectReply();
  bool HasQueued() const;
  // From now on datagrams from anyone but address:port (port in host order) are taken from the
  // socket and dropped on the receiver's thread: the queue keeps its room for the one awaited,
  // however many others arrive. Any thread.
  void AcceptOnlyFrom(net::Ipv4Address address, std::uint16_t port);

  // Moves the oldest queued datagram into `area` and answers its byte count; or answers -1 with
  // `error` set when its receive failed, it does not fit `capacity` (taken and lost), or none
  // is queued (WSAEWOULDBLOCK).
  int Take(std::uint8_t* area, int capacity, net::DatagramOrigin* origin, int* error);

 private:
  struct Slot {
    std::array<std::uint8_t, kAreaSize> bytes;
    int count = 0;  // -1: the receive failed with `error`
    int error = 0;
    net::DatagramOrigin origin;
  };

  void Run();
  // The slot the next datagram goes to, once there is one; nullptr when stopped.
  Slot* WaitForFreeSlot();
  // Receives one datagram into `slot`; answers whether to go on receiving.
  bool ReceiveInto(Slot& slot);
  // While a reply is expected, looks for a waiting datagram until one shows (answering its
  // instant), the while is over or the receiver stops (answering none).
  std::optional<double> WatchForDatagram();
  void Publish();

  SOCKET socket_;
  net::ArrivalClock arrival_clock_;
  std::function<void()> on_queued_;
  // Set when the window thread takes from a full queue (auto-reset).
  UniqueHandle room_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  UniqueHandle stop_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  // Set when the thread has left its loop.
  UniqueHandle finished_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> stopping_{false};
  std::atomic<ULONGLONG> watch_until_{0};  // tick count up to which a reply is expected
  std::atomic<unsigned> sends_{0};         // ExpectReply calls: a cancel that meant "watch"
  // The one sender queued (address << 16 | port, with bit 48 set), or 0 for everyone.
  std::atomic<std::uint64_t> accepted_sender_{0};

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;  // a ring: `count_` queued datagrams from `head_` on
  std::size_t head_ = 0;
  std::size_t count_ = 0;

  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace tempiko::win32
