#pragma once

#include <functional>

namespace tempiko::loop {

// The window thread as worker threads reach it: every change a worker makes to the window is
// carried out there, in order.
class WindowThread {
 public:
  virtual ~WindowThread() = default;

  // Runs `action` on the window thread and waits until it has run; an exception it throws
  // passes back to the caller. On the window thread itself it runs at once. Once the window is
  // shutting down it throws EAbort instead, so that a worker ends quietly.
  virtual void Invoke(const std::function<void()>& action) = 0;
  // Runs `action` on the window thread later, in order with the Invoke and Post calls before
  // it, without waiting for it: for what a worker only shows. Throws EAbort, as Invoke does,
  // once the window is shutting down.
  virtual void Post(std::function<void()> action) = 0;
};

// Starts the program's worker threads (the synchronisation worker, the hang-up worker). A
// worker ends by itself; the owner waits for the workers still running only when it closes.
class WorkerStarter {
 public:
  virtual ~WorkerStarter() = default;
  virtual void Start(std::function<void()> body) = 0;
};

}  // namespace tempiko::loop
