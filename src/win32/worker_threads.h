#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "loop/threads.h"

namespace tempiko::win32 {

// The program's worker threads. A thread whose body has ended waits for the next body instead
// of ending: making a thread costs milliseconds (more under Wine), and a LAN client of the
// relay waits for the worker before the server is even asked. There are never more threads
// than bodies that ran at the same time. JoinAll (and the destructor) waits for the bodies
// still running, so the window must first stop serving their Invoke calls
// (Win32WindowThread::Shutdown), which ends them.
class ThreadWorkerStarter final : public loop::WorkerStarter {
 public:
  ThreadWorkerStarter() = default;
  ~ThreadWorkerStarter() override;
  ThreadWorkerStarter(const ThreadWorkerStarter&) = delete;
  ThreadWorkerStarter& operator=(const ThreadWorkerStarter&) = delete;

  void Start(std::function<void()> body) override;
  // Runs the bodies already started to their end, then ends every thread. Nothing starts
  // afterwards.
  void JoinAll();
  // Threads waiting for a body.
  int IdleThreads();

 private:
  void Serve();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> waiting_;  // bodies not yet taken by a thread
  int idle_ = 0;                               // threads waiting for a body
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace tempiko::win32
