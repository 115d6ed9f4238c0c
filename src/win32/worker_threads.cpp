#include "win32/worker_threads.h"

namespace tempiko::win32 {

ThreadWorkerStarter::~ThreadWorkerStarter() {
  JoinAll();
}

void ThreadWorkerStarter::JoinAll() {
  for (auto& worker : workers_) {
    worker->thread.join();
  }
  workers_.clear();
}

void ThreadWorkerStarter::Start(std::function<void()> body) {
  JoinFinished();
  auto worker = std::make_unique<Worker>();
  Worker* raw = worker.get();
  workers_.push_back(std::move(worker));
  raw->thread = std::thread([raw, body = std::move(body)] {
    // A worker reports its own failures; nothing may escape a thread.
    try {
      body();
    } catch (...) {
    }
    raw->finished = true;
  });
}

void ThreadWorkerStarter::JoinFinished() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if ((*it)->finished) {
      (*it)->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace tempiko::win32
