#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <thread>

#include "loop/threads.h"

namespace tempiko::win32 {

// Worker threads that end by themselves. Finished ones are joined when the next starts; the
// destructor waits for those still running, so the window must first stop serving their
// Invoke calls (Win32WindowThread::Shutdown), which ends them.
class ThreadWorkerStarter final : public loop::WorkerStarter {
 public:
  ThreadWorkerStarter() = default;
  ~ThreadWorkerStarter() override;
  ThreadWorkerStarter(const ThreadWorkerStarter&) = delete;
  ThreadWorkerStarter& operator=(const ThreadWorkerStarter&) = delete;

  void Start(std::function<void()> body) override;
  // Waits for every worker still running (they end once the window stops serving them).
  void JoinAll();

 private:
  struct Worker {
    std::thread thread;
    std::atomic<bool> finished{false};
  };
  void JoinFinished();

  std::list<std::unique_ptr<Worker>> workers_;
};

}  // namespace tempiko::win32
