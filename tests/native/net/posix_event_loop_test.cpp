// The poll() loop of the native window thread: posting from other threads, level-triggered
// descriptor watches, and callbacks that change the watches while they run.

#include "posix/posix_event_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace tempiko::posix {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A pipe whose read end the loop watches; the test writes bytes into it.
class Pipe {
 public:
  Pipe() {
    int fds[2];
    if (pipe(fds) != 0) {
      throw std::runtime_error("pipe");
    }
    read_fd = fds[0];
    write_fd = fds[1];
  }
  ~Pipe() {
    close(read_fd);
    close(write_fd);
  }
  void Write(int count) {
    for (int i = 0; i < count; ++i) {
      const char byte = 'x';
      ASSERT_EQ(write(write_fd, &byte, 1), 1);
    }
  }
  void ReadOne() {
    char byte;
    ASSERT_EQ(read(read_fd, &byte, 1), 1);
  }

  int read_fd;
  int write_fd;
};

TEST(PosixEventLoopTest, TasksPostedFromAnotherThreadRunInOrderOnLoopThread) {
  PosixEventLoop loop;
  std::vector<int> order;
  std::vector<std::thread::id> threads;

  std::thread poster([&] {
    for (int i = 0; i < 3; ++i) {
      loop.Post([&, i] {
        order.push_back(i);
        threads.push_back(std::this_thread::get_id());
      });
    }
  });
  const bool done = loop.RunUntil([&] { return order.size() == 3; }, seconds(30));
  poster.join();

  ASSERT_TRUE(done);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  for (const auto& id : threads) {
    EXPECT_EQ(id, std::this_thread::get_id());
  }
}

TEST(PosixEventLoopTest, WatchIsLevelTriggeredUntilUnwatched) {
  PosixEventLoop loop;
  Pipe pipe;
  int calls = 0;
  loop.WatchReadable(pipe.read_fd, [&] {
    ++calls;
    pipe.ReadOne();  // one byte per notification, as the endpoint receives one datagram
  });

  pipe.Write(3);
  ASSERT_TRUE(loop.RunUntil([&] { return calls == 3; }, seconds(30)));
  EXPECT_FALSE(loop.RunOnce(milliseconds(0)));  // drained: nothing more to report

  loop.Unwatch(pipe.read_fd);
  pipe.Write(1);
  EXPECT_FALSE(loop.RunOnce(milliseconds(0)));
  EXPECT_EQ(calls, 3);
}

TEST(PosixEventLoopTest, CallbackMayUnwatchItsOwnDescriptorAndAnother) {
  PosixEventLoop loop;
  Pipe first;
  Pipe second;
  int first_calls = 0;
  int second_calls = 0;
  loop.WatchReadable(first.read_fd, [&] {
    ++first_calls;
    loop.Unwatch(first.read_fd);
    loop.Unwatch(second.read_fd);
  });
  loop.WatchReadable(second.read_fd, [&] {
    ++second_calls;
    loop.Unwatch(first.read_fd);
    loop.Unwatch(second.read_fd);
  });
  first.Write(1);
  second.Write(1);

  EXPECT_TRUE(loop.RunOnce(seconds(30)));
  EXPECT_FALSE(loop.RunOnce(milliseconds(0)));
  // Both were ready in the same round, but the first to run removed the other's watch.
  EXPECT_EQ(first_calls + second_calls, 1);
}

TEST(PosixEventLoopTest, RunUntilAnswersFalseWhenLimitPasses) {
  PosixEventLoop loop;
  int rounds_asked = 0;
  EXPECT_FALSE(loop.RunUntil(
      [&] {
        ++rounds_asked;
        return false;
      },
      milliseconds(0)));
  EXPECT_GE(rounds_asked, 1);
  EXPECT_FALSE(loop.RunUntil([] { return false; }, milliseconds(20)));
}

TEST(PosixEventLoopTest, FailingTaskPassesOutAndLaterTasksStillRun) {
  PosixEventLoop loop;
  bool later_ran = false;
  loop.Post([] { throw std::runtime_error("handler failed"); });
  loop.Post([&] { later_ran = true; });

  EXPECT_THROW(loop.RunOnce(milliseconds(0)), std::runtime_error);
  EXPECT_TRUE(loop.RunUntil([&] { return later_ran; }, seconds(30)));
}

TEST(PosixEventLoopTest, TaskPostedByTaskWaitsForNextRound) {
  PosixEventLoop loop;
  int runs = 0;
  std::function<void()> repost = [&] {
    ++runs;
    loop.Post(repost);
  };
  loop.Post(repost);

  loop.RunOnce(milliseconds(0));
  EXPECT_EQ(runs, 1);
  loop.RunOnce(milliseconds(0));
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace tempiko::posix
