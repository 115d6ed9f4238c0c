#pragma once

// The window thread and the worker threads of the program, played by the test's own thread.
// A worker body runs right where it is started (or when the test releases it), and its Invoke
// calls run their actions at once. ThreadRoles keeps track of which thread the test thread is
// standing in for, so that watched controls can tell a window change the worker made directly.

#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "loop/threads.h"

namespace tempiko::fakes {

struct ThreadRoles {
  int worker_depth = 0;  // a worker body is running
  int invoke_depth = 0;  // an Invoke action is running: the window thread again
  std::vector<std::string> violations;

  bool OnWindowThread() const { return worker_depth == 0 || invoke_depth > 0; }
  // Records a use of the window off the window thread.
  void Check(const std::string& what) {
    if (!OnWindowThread()) {
      violations.push_back(what + " off the window thread");
    }
  }
};

// Runs every action at once, as if the window thread had been idle and waiting for it.
class InlineWindowThread final : public loop::WindowThread {
 public:
  explicit InlineWindowThread(ThreadRoles& roles) : roles_(roles) {}

  // Runs before each action: events the window thread handles before it comes to the action
  // (a datagram that arrives meanwhile, say).
  std::function<void()> before_action;
  // The window is shutting down: Invoke throws EAbort.
  bool shutting_down = false;
  int invokes = 0;

  // A posted action runs at once too: in order, as the window thread would run it.
  void Post(std::function<void()> action) override { Invoke(action); }

  void Invoke(const std::function<void()>& action) override {
    if (shutting_down) {
      throw EAbort();
    }
    ++invokes;
    if (before_action) {
      auto hook = before_action;  // the hook may replace itself
      Run(hook);
    }
    Run(action);
  }

 private:
  void Run(const std::function<void()>& action) {
    ++roles_.invoke_depth;
    try {
      action();
    } catch (...) {
      --roles_.invoke_depth;
      throw;
    }
    --roles_.invoke_depth;
  }

  ThreadRoles& roles_;
};

// Runs each worker body on the test thread: at once, or, with `hold`, when the test says so.
// A body that lets an exception escape is a fault of the worker: it is recorded, not thrown.
class FakeWorkerStarter final : public loop::WorkerStarter {
 public:
  explicit FakeWorkerStarter(ThreadRoles& roles) : roles_(roles) {}

  bool hold = false;
  int started = 0;
  std::vector<std::string> escaped;  // what escaped from a body

  void Start(std::function<void()> body) override {
    ++started;
    if (hold) {
      held_.push_back(std::move(body));
    } else {
      Run(body);
    }
  }

  std::size_t HeldCount() const { return held_.size(); }
  // Runs the bodies held so far, oldest first.
  void RunHeld() {
    while (!held_.empty()) {
      auto body = std::move(held_.front());
      held_.pop_front();
      Run(body);
    }
  }

 private:
  void Run(const std::function<void()>& body) {
    ++roles_.worker_depth;
    try {
      body();
    } catch (const std::exception& failure) {
      escaped.push_back(failure.what());
    } catch (...) {
      escaped.push_back("unknown exception");
    }
    --roles_.worker_depth;
  }

  ThreadRoles& roles_;
  std::deque<std::function<void()>> held_;
};

}  // namespace tempiko::fakes
