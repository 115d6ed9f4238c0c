#include "win32/win32_window_thread.h"

#include <exception>

#include "base/errors.h"
#include "win32/error_box.h"

namespace tempiko::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"TempikoWindowThread";
constexpr UINT kInvokeMessage = WM_APP + 1;
constexpr UINT kPacedTickMessage = WM_APP + 2;  // wparam: the timer's id

}  // namespace

// One worker's request. Shared, because a worker that gave up at shut-down leaves it behind
// in the message queue.
struct Win32WindowThread::Call {
  std::function<void()> action;
  std::exception_ptr error;
  UniqueHandle done;  // none for a posted call: nobody waits
};

Win32WindowThread::Win32WindowThread() : thread_id_(GetCurrentThreadId()) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = &Win32WindowThread::WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kWindowClass;
  RegisterClassW(&window_class);  // a second registration fails harmlessly
  window_.reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr));
  // Without it no worker's call and no timer would ever be served.
  if (!window_)
    ThrowWindowRefused();
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  shutdown_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

Win32WindowThread::~Win32WindowThread() {
  Shutdown();
  paced_.clear();  // their threads stopped before the window goes
  for (const auto& [id, timer] : timers_)
    KillTimer(window_.get(), id);
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
  // Calls still queued hold their own reference; the window is gone, so nobody runs them.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, kInvokeMessage, kInvokeMessage, PM_REMOVE)) {
    delete reinterpret_cast<std::shared_ptr<Call>*>(msg.lParam);
  }
}

void Win32WindowThread::Shutdown() {
  SetEvent(shutdown_.get());
}

void Win32WindowThread::Invoke(const std::function<void()>& action) {
  if (GetCurrentThreadId() == thread_id_) {
    action();
    return;
  }
  auto call = std::make_shared<Call>();
  call->action = action;
  call->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  Queue(call);
  const HANDLE waits[] = {call->done.get(), shutdown_.get()};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
    throw EAbort();
  if (call->error)
    std::rethrow_exception(call->error);
}

void Win32WindowThread::Post(std::function<void()> action) {
  auto call = std::make_shared<Call>();
  call->action = std::move(action);
  Queue(call);
}

void Win32WindowThread::Queue(const std::shared_ptr<Call>& call) {
  if (WaitForSingleObject(shutdown_.get(), 0) == WAIT_OBJECT_0)
    throw EAbort();
  auto* message_ref = new std::shared_ptr<Call>(call);
  if (!PostMessageW(window_.get(), kInvokeMessage, 0, reinterpret_cast<LPARAM>(message_ref))) {
    delete message_ref;
    throw EAbort();
  }
}

void Win32WindowThread::RunCall(LPARAM lparam) {
  std::unique_ptr<std::shared_ptr<Call>> message_ref(
      reinterpret_cast<std::shared_ptr<Call>*>(lparam));
  Call& call = **message_ref;
  try {
    call.action();
  } catch (...) {
    call.error = std::current_exception();  // a posted call has nobody to hand it to
  }
  if (call.done)
    SetEvent(call.done.get());
}

void Win32WindowThread::StartTimer(loop::Timer& timer, std::uint32_t interval_ms) {
  StopTimer(timer);
  const UINT_PTR id = next_timer_id_++;
  if (timer.IsDue) {
    paced_[id] = std::make_unique<PacedTicker>(window_.get(), kPacedTickMessage, id, interval_ms,
                                               timer.IsDue);
  } else if (!SetTimer(window_.get(), id, interval_ms, nullptr)) {
    return;
  }
  timers_[id] = &timer;
}

void Win32WindowThread::StopTimer(loop::Timer& timer) {
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second == &timer) {
      if (paced_.erase(it->first) == 0)
        KillTimer(window_.get(), it->first);
      timers_.erase(it);
      return;
    }
  }
}

void Win32WindowThread::OnTimer(UINT_PTR id) {
  // A tick already queued for a timer stopped since is dropped.
  const auto it = timers_.find(id);
  if (it != timers_.end())
    it->second->Tick();
}

LRESULT CALLBACK Win32WindowThread::WindowProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  auto* self = reinterpret_cast<Win32WindowThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == kInvokeMessage) {
    self->RunCall(lparam);
    return 0;
  }
  if (self && message == WM_TIMER) {
    self->OnTimer(wparam);
    return 0;
  }
  if (self && message == kPacedTickMessage) {
    // A tick posted before its timer was stopped finds no ticker and is dropped.
    if (const auto paced = self->paced_.find(wparam); paced != self->paced_.end()) {
      paced->second->Delivered();
      self->OnTimer(wparam);
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace tempiko::win32
