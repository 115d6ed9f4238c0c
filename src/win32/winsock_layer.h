#pragma once

#include <windows.h>
#include <winsock2.h>

#include <array>
#include <memory>

#include "net/socket_layer.h"
#include "win32/datagram_receiver.h"
#include "win32/owned.h"

namespace tempiko::win32 {

// The Windows Sockets layer of one UDP endpoint. Its notifications arrive as message 1125 on a
// hidden window of its own, created on (and so served by) the calling thread, which must be
// the window thread. Datagrams are taken from the socket as they arrive by a receiver thread,
// which stamps each one and posts the readiness to the window (see DatagramReceiver); host
// lookups are asynchronous requests answered to the same window.
class WinsockLayer final : public net::SocketLayer {
 public:
  static constexpr UINT kNotifyMessage = WM_USER + 101;  // 1125
  static constexpr int kLookupAreaSize = 1024;

  WinsockLayer(net::SocketEvents& events, net::ArrivalClock arrival_clock);
  ~WinsockLayer() override;
  WinsockLayer(const WinsockLayer&) = delete;
  WinsockLayer& operator=(const WinsockLayer&) = delete;

  int Startup() override;
  void Cleanup() override;
  net::SocketHandle OpenDatagramSocket() override;
  void SetDontLinger(net::SocketHandle socket) override;
  int Bind(net::SocketHandle socket, net::Ipv4Address address, std::uint16_t port) override;
  void SelectRead(net::SocketHandle socket) override;
  void Close(net::SocketHandle socket) override;
  net::Ipv4Address ParseAddress(const char* text) override;
  void StartLookup(const char* host) override;
  bool ProcessEventsUntil(const std::function<bool()>& finished,
                          std::chrono::milliseconds limit) override;
  int SendTo(net::SocketHandle socket, const std::uint8_t* data, int length,
             net::Ipv4Address address, std::uint16_t port) override;
  int ReceiveFrom(net::SocketHandle socket, std::uint8_t* area, int capacity,
                  net::DatagramOrigin* origin) override;
  int LastError() override;
  void AcceptOnlyFrom(net::SocketHandle socket, net::Ipv4Address address,
                      std::uint16_t port) override;

  // Makes a layer per endpoint; the endpoints must be created on the window thread.
  static net::SocketLayerFactory Factory();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void OnNotify(WPARAM wparam, LPARAM lparam);

  net::SocketEvents& events_;
  net::ArrivalClock arrival_clock_;
  UniqueWindow window_;
  std::unique_ptr<DatagramReceiver> receiver_;  // of the socket asked to notify, if any
  int startup_error_ = 0;
  // The port the socket was bound to last: 123 is the relay's, which serves and awaits nothing.
  std::uint16_t bound_port_ = 0;
  HANDLE lookup_task_ = nullptr;  // the pending host lookup, if any
  std::array<char, kLookupAreaSize> lookup_area_{};
};

}  // namespace tempiko::win32
