#include "win32/worker_threads.h"

#include <utility>

namespace tempiko::win32 {

ThreadWorkerStarter::~ThreadWorkerStarter() {
  JoinAll();
}

void ThreadWorkerStarter::Start(std::function<void()> body) {
  std::lock_guard lock(mutex_);
  if (stopping_)
    return;
  waiting_.push_back(std::move(body));
  // Each waiting body has an idle thread of its own, or a new one.
  if (static_cast<int>(waiting_.size()) > idle_)
    threads_.emplace_back([this] { Serve(); });
  else
    wake_.notify_one();
}

void ThreadWorkerStarter::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    --idle_;
    if (waiting_.empty())
      return;  // stopping, with nothing left to run
    std::function<void()> body = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    // A worker reports its own failures; nothing may escape a thread.
    try {
      body();
    } catch (...) {
    }
    body = nullptr;  // what the body holds goes before the thread waits again
    lock.lock();
  }
}

int ThreadWorkerStarter::IdleThreads() {
  std::lock_guard lock(mutex_);
  return idle_;
}

void ThreadWorkerStarter::JoinAll() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_)
    thread.join();
  threads_.clear();
}

}  // namespace tempiko::win32
