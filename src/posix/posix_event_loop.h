#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace tempiko::posix {

// The window thread's loop of the native build, on poll(). Other threads hand it work with
// Post; file descriptors are watched for readability, level-triggered: a callback runs again in
// every round while its descriptor stays readable and registered.
//
// Post may be called from any thread. Everything else belongs to the thread that runs the
// loop. Callbacks may post, watch and unwatch freely, their own descriptor included. An
// exception thrown by a callback passes out of RunOnce/RunUntil; the loop stays usable.
class PosixEventLoop {
 public:
  using Task = std::function<void()>;
  using ReadableCallback = std::function<void()>;

  // Throws std::system_error when the wake-up pipe cannot be made.
  PosixEventLoop();
  ~PosixEventLoop();
  PosixEventLoop(const PosixEventLoop&) = delete;
  PosixEventLoop& operator=(const PosixEventLoop&) = delete;

  // Queues `task` to run on the loop's thread, after the tasks queued before it.
  void Post(Task task);

  // Calls `callback` whenever `fd` is readable (or has an error or hang-up to report) until
  // Unwatch. Watching a descriptor again replaces its callback.
  void WatchReadable(int fd, ReadableCallback callback);
  void Unwatch(int fd);

  // Waits up to `max_wait` for work, then runs the tasks posted so far and the callbacks of
  // the readable descriptors. Answers whether anything ran.
  bool RunOnce(std::chrono::milliseconds max_wait);

  // Runs rounds until `done` (asked before each round) answers true or `limit` has passed; a
  // zero limit still runs one round. Answers `done`'s last answer.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

 private:
  struct Watch {
    std::uint64_t id;
    std::shared_ptr<ReadableCallback> callback;
  };

  bool HasPostedTasks();
  void DrainWakePipe();
  bool RunPostedTasks();

  int wake_read_fd_ = -1;
  int wake_write_fd_ = -1;

  std::mutex posted_mutex_;
  std::deque<Task> posted_;

  std::map<int, Watch> watches_;
  std::uint64_t next_watch_id_ = 1;
};

}  // namespace tempiko::posix
