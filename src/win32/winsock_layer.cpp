#include "win32/winsock_layer.h"

#include <cstring>
#include <utility>

namespace tempiko::win32 {
namespace {

constexpr std::uint16_t kTimeServerPort = 123;

constexpr wchar_t kWindowClass[] = L"TempikoSocketNotify";

void RegisterNotifyClass(WNDPROC procedure) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kWindowClass;
  RegisterClassW(&window_class);  // a second registration fails harmlessly
}

sockaddr_in MakeAddress(net::Ipv4Address address, std::uint16_t port) {
  sockaddr_in record{};
  record.sin_family = AF_INET;
  record.sin_port = htons(port);
  record.sin_addr.s_addr = address;
  return record;
}

}  // namespace

WinsockLayer::WinsockLayer(net::SocketEvents& events, net::ArrivalClock arrival_clock)
    : events_(events), arrival_clock_(std::move(arrival_clock)) {
  RegisterNotifyClass(&WinsockLayer::WindowProc);
  // A message-only window: hidden, owned by this thread, seen by nobody else.
  window_.reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr));
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinsockLayer::~WinsockLayer() {
  receiver_.reset();  // its thread posts to the window
  // A lookup still running would write into the lookup area after it is gone.
  if (lookup_task_)
    WSACancelAsyncRequest(lookup_task_);
  // No notice may reach a layer that is going; the owner destroys the window.
  if (window_)
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

int WinsockLayer::Startup() {
  WSADATA data;
  // WSAStartup answers its error itself; WSAGetLastError is not reliable before it succeeded.
  startup_error_ = WSAStartup(MAKEWORD(1, 1), &data);
  return startup_error_;
}

void WinsockLayer::Cleanup() {
  receiver_.reset();  // the library may release the socket it is receiving from
  WSACleanup();
}

net::SocketHandle WinsockLayer::OpenDatagramSocket() {
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  return s == INVALID_SOCKET ? net::kInvalidSocket : static_cast<net::SocketHandle>(s);
}

void WinsockLayer::SetDontLinger(net::SocketHandle socket) {
  const char value[4] = {'T', 'R', 'U', 'E'};  // any nonzero 4-byte value
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_DONTLINGER, value, sizeof(value));
}

int WinsockLayer::Bind(net::SocketHandle socket, net::Ipv4Address address, std::uint16_t port) {
  const sockaddr_in record = MakeAddress(address, port);
  bound_port_ = port;
  if (bind(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&record),
           sizeof(record)) == 0) {
    return 0;
  }
  return WSAGetLastError();
}

void WinsockLayer::SelectRead(net::SocketHandle socket) {
  const auto s = static_cast<SOCKET>(socket);
  if (receiver_ && receiver_->socket() == s)
    return;  // asked again: it is receiving already
  receiver_.reset();
  // One notification per datagram taken, each to be answered by one receive.
  receiver_ = std::make_unique<DatagramReceiver>(s, arrival_clock_, [window = window_.get(), s] {
    PostMessageW(window, kNotifyMessage, s, WSAMAKESELECTREPLY(FD_READ, 0));
  });
}

void WinsockLayer::Close(net::SocketHandle socket) {
  const auto s = static_cast<SOCKET>(socket);
  if (receiver_ && receiver_->socket() == s)
    receiver_.reset();  // stopped before its socket goes
  closesocket(s);
}

net::Ipv4Address WinsockLayer::ParseAddress(const char* text) {
  return inet_addr(text);
}

void WinsockLayer::StartLookup(const char* host) {
  // A new lookup replaces one still pending: both would write the one lookup area, and a late
  // answer must not be taken for the new host's.
  if (lookup_task_)
    WSACancelAsyncRequest(lookup_task_);
  lookup_task_ = WSAAsyncGetHostByName(window_.get(), kNotifyMessage, host, lookup_area_.data(),
                                       kLookupAreaSize);
  if (!lookup_task_) {
    // The lookup could not even start: report it as a failed one.
    PostMessageW(window_.get(), kNotifyMessage, 0, WSAMAKEASYNCREPLY(0, WSAGetLastError()));
  }
}

bool WinsockLayer::ProcessEventsUntil(const std::function<bool()>& finished,
                                      std::chrono::milliseconds limit) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limit.count());
  while (!finished()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    MSG msg;
    while (!finished() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the message loop
        return finished();
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

int WinsockLayer::SendTo(net::SocketHandle socket, const std::uint8_t* data, int length,
                         net::Ipv4Address address, std::uint16_t port) {
  const sockaddr_in record = MakeAddress(address, port);
  // A request to a time server expects its reply at once: the receiver watches for it from
  // before the send, so that the instant taken right after the send is not delayed. The
  // relay's answers to its clients (from port 123, to whatever port they asked from, 123
  // included) expect nothing back.
  if (port == kTimeServerPort && bound_port_ != kTimeServerPort && receiver_ &&
      receiver_->socket() == static_cast<SOCKET>(socket))
    receiver_->ExpectReply();
  return sendto(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(data), length, 0,
                reinterpret_cast<const sockaddr*>(&record), sizeof(record));
}

int WinsockLayer::ReceiveFrom(net::SocketHandle socket, std::uint8_t* area, int capacity,
                              net::DatagramOrigin* origin) {
  int error = WSAEWOULDBLOCK;
  int count = -1;
  if (receiver_ && receiver_->socket() == static_cast<SOCKET>(socket))
    count = receiver_->Take(area, capacity, origin, &error);
  if (count < 0)
    WSASetLastError(error);
  return count;
}

void WinsockLayer::AcceptOnlyFrom(net::SocketHandle socket, net::Ipv4Address address,
                                  std::uint16_t port) {
  if (receiver_ && receiver_->socket() == static_cast<SOCKET>(socket))
    receiver_->AcceptOnlyFrom(address, port);
}

int WinsockLayer::LastError() {
  const int error = WSAGetLastError();
  return error != 0 ? error : startup_error_;
}

net::SocketLayerFactory WinsockLayer::Factory() {
  return [](net::SocketEvents& events,
            const net::ArrivalClock& arrival_clock) -> std::unique_ptr<net::SocketLayer> {
    return std::make_unique<WinsockLayer>(events, arrival_clock);
  };
}

LRESULT CALLBACK WinsockLayer::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kNotifyMessage) {
    if (auto* layer = reinterpret_cast<WinsockLayer*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
      layer->OnNotify(wparam, lparam);
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void WinsockLayer::OnNotify(WPARAM wparam, LPARAM lparam) {
  // One message serves readiness and lookup completion; the low word tells them apart: a
  // readiness event is FD_READ (1), while a lookup reports the host entry's size, never 1.
  if (WSAGETSELECTEVENT(lparam) == FD_READ) {
    // A notice that outlived its socket (closed, replaced) finds nothing queued.
    if (receiver_ && receiver_->HasQueued())
      events_.OnReadable();
    return;
  }
  // Only the latest lookup's completion counts (a failure to start one carries no task).
  if (reinterpret_cast<HANDLE>(wparam) != lookup_task_)
    return;
  lookup_task_ = nullptr;
  net::Ipv4Address address = 0;
  bool succeeded = WSAGETASYNCERROR(lparam) == 0;
  if (succeeded) {
    const auto* entry = reinterpret_cast<const hostent*>(lookup_area_.data());
    succeeded = entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list &&
                entry->h_addr_list[0];
    if (succeeded)
      std::memcpy(&address, entry->h_addr_list[0], sizeof(address));
  }
  events_.OnLookupFinished(succeeded, address);
}

}  // namespace tempiko::win32
