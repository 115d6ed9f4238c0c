// The window thread's services on Win32: workers' Invoke calls run on the window thread in
// order, failures travel back, shut-down releases waiting workers, and timers tick.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/errors.h"
#include "loop/timer.h"
#include "message_pump.h"
#include "win32/win32_host_resolver.h"
#include "win32/win32_window_thread.h"
#include "win32/worker_threads.h"

namespace tempiko {
namespace {

using win32::ThreadWorkerStarter;
using win32::Win32WindowThread;

TEST(Win32WindowThread, WorkerCallsRunOnTheWindowThreadInOrder) {
  Win32WindowThread window_thread;
  std::vector<int> order;
  std::vector<DWORD> threads;
  bool worker_done = false;
  {
    ThreadWorkerStarter workers;
    workers.Start([&] {
      for (int step = 0; step < 5; ++step) {
        window_thread.Invoke([&, step] {
          order.push_back(step);
          threads.push_back(GetCurrentThreadId());
        });
      }
      window_thread.Invoke([&] { worker_done = true; });
    });
    ASSERT_TRUE(test::PumpMessagesUntil([&] { return worker_done; }));
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  for (DWORD thread : threads)
    EXPECT_EQ(thread, GetCurrentThreadId());
}

TEST(Win32WindowThread, PostedCallsRunInOrderWithInvokedOnes) {
  Win32WindowThread window_thread;
  std::vector<int> order;
  bool worker_done = false;
  ThreadWorkerStarter workers;
  workers.Start([&] {
    window_thread.Post([&] { order.push_back(1); });
    window_thread.Invoke([&] { order.push_back(2); });
    window_thread.Post([&] { order.push_back(3); });
    window_thread.Post([&] { order.push_back(4); });
    window_thread.Invoke([&] { worker_done = true; });
  });
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return worker_done; }));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

// A body that ends leaves its thread for the next one; bodies that overlap get a thread each.
TEST(ThreadWorkerStarter, ReusesThreadsAndRunsOverlappingBodiesSideBySide) {
  ThreadWorkerStarter workers;
  std::vector<DWORD> sequential;
  for (int i = 0; i < 3; ++i) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    workers.Start([&, done] {
      sequential.push_back(GetCurrentThreadId());
      SetEvent(done);
    });
    WaitForSingleObject(done, INFINITE);
    CloseHandle(done);
    while (workers.IdleThreads() == 0)  // the thread is back waiting for a body
      Sleep(1);
  }
  EXPECT_EQ(sequential[1], sequential[0]);
  EXPECT_EQ(sequential[2], sequential[0]);

  HANDLE second_started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD first = 0, second = 0;
  workers.Start([&] {
    first = GetCurrentThreadId();
    WaitForSingleObject(second_started, INFINITE);  // only a thread of its own sets it
  });
  workers.Start([&] {
    second = GetCurrentThreadId();
    SetEvent(second_started);
  });
  workers.JoinAll();
  CloseHandle(second_started);
  EXPECT_NE(first, second);
}

TEST(Win32WindowThread, FailureOnTheWindowThreadReachesTheWorker) {
  Win32WindowThread window_thread;
  std::string caught;
  bool worker_done = false;
  ThreadWorkerStarter workers;
  workers.Start([&] {
    try {
      window_thread.Invoke([] { throw Exception("Null Remote Address"); });
    } catch (const Exception& e) {
      caught = e.what();
    }
    window_thread.Invoke([&] { worker_done = true; });
  });
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return worker_done; }));
  EXPECT_EQ(caught, "Null Remote Address");
}

TEST(Win32WindowThread, ShutdownEndsWaitingWorkersWithTheSilentAbort) {
  bool aborted = false;
  {
    Win32WindowThread window_thread;
    ThreadWorkerStarter workers;
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    workers.Start([&] {
      SetEvent(started);
      try {
        window_thread.Invoke([] {});  // never served: the window thread does not pump
      } catch (const EAbort&) {
        aborted = true;
      }
    });
    WaitForSingleObject(started, INFINITE);
    CloseHandle(started);
    window_thread.Shutdown();
  }  // the workers are joined here, before the window thread goes
  EXPECT_TRUE(aborted);
}

TEST(Win32WindowThread, TimerTicksUntilDisabled) {
  Win32WindowThread window_thread;
  loop::Timer timer(window_thread, 20, false);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3)
      timer.SetEnabled(false);
  };
  timer.SetEnabled(true);
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return ticks == 3; }));
  test::PumpMessagesUntil([] { return false; }, 100);
  EXPECT_EQ(ticks, 3);
}

// A timer that is asked first is asked on a thread of its own, and ticks on the window thread
// only when it answers yes; a tick is not posted again until the window thread has taken it.
TEST(Win32WindowThread, TimerAskedFirstTicksOnlyWhenDue) {
  Win32WindowThread window_thread;
  const DWORD window_thread_id = GetCurrentThreadId();
  loop::Timer timer(window_thread, 10, false);
  std::atomic<int> asked = 0;
  std::atomic<bool> due = false;
  std::atomic<bool> asked_elsewhere = true;
  timer.IsDue = [&] {
    asked_elsewhere = asked_elsewhere && GetCurrentThreadId() != window_thread_id;
    ++asked;
    return due.load();
  };
  int ticks = 0;
  bool ticked_here = true;
  timer.OnTimer = [&] {
    ticked_here = ticked_here && GetCurrentThreadId() == window_thread_id;
    ++ticks;
    due = false;  // one tick a time it is due
  };
  timer.SetEnabled(true);
  // Nothing is posted while it is not due, so there is nothing to pump: just wait.
  for (int waited = 0; waited < 1000 && asked < 5; ++waited)
    Sleep(10);
  ASSERT_GE(asked, 5);
  EXPECT_EQ(ticks, 0);
  due = true;
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return ticks == 1; }));
  test::PumpMessagesUntil([] { return false; }, 100);
  EXPECT_EQ(ticks, 1);
  // Due at every tick while the window thread is busy: one tick waits, not a queue of them.
  due = true;
  Sleep(100);
  timer.OnTimer = [&] { ++ticks; };
  test::PumpMessagesUntil([] { return false; }, 15);
  EXPECT_LE(ticks, 4);
  timer.SetEnabled(false);  // stops the asking thread
  const int asked_when_stopped = asked;
  const int ticks_when_stopped = ticks;
  test::PumpMessagesUntil([] { return false; }, 100);
  EXPECT_EQ(asked, asked_when_stopped);
  EXPECT_EQ(ticks, ticks_when_stopped);
  EXPECT_TRUE(asked_elsewhere);
  EXPECT_TRUE(ticked_here);
}

TEST(Win32HostResolver, ParsesDottedTextAndLooksUpLocalNames) {
  win32::Win32HostResolver resolver;
  EXPECT_EQ(resolver.ParseAddress("127.0.0.1"), htonl(INADDR_LOOPBACK));
  EXPECT_EQ(resolver.ParseAddress("ntp.example"), INADDR_NONE);
  EXPECT_EQ(resolver.ParseAddress("255.255.255.255"), INADDR_NONE);
  const auto localhost = resolver.LookupHost("localhost");
  ASSERT_TRUE(localhost.has_value());
  EXPECT_EQ(*localhost, htonl(INADDR_LOOPBACK));
}

}  // namespace
}  // namespace tempiko
