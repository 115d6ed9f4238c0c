#include "posix/posix_event_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

namespace tempiko::posix {

namespace {

void MakeNonBlockingAndCloseOnExec(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0 ||
      fcntl(fd, F_SETFD, FD_CLOEXEC) < 0) {
    throw std::system_error(errno, std::generic_category(), "event loop pipe");
  }
}

// poll() takes whole milliseconds; a negative wait would mean "forever".
int PollTimeout(std::chrono::milliseconds wait) {
  if (wait.count() <= 0) {
    return 0;
  }
  return wait.count() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(wait.count());
}

}  // namespace

PosixEventLoop::PosixEventLoop() {
  int fds[2];
  if (pipe(fds) != 0) {
    throw std::system_error(errno, std::generic_category(), "event loop pipe");
  }
  wake_read_fd_ = fds[0];
  wake_write_fd_ = fds[1];
  try {
    MakeNonBlockingAndCloseOnExec(wake_read_fd_);
    MakeNonBlockingAndCloseOnExec(wake_write_fd_);
  } catch (...) {
    close(wake_read_fd_);
    close(wake_write_fd_);
    throw;
  }
}

PosixEventLoop::~PosixEventLoop() {
  close(wake_read_fd_);
  close(wake_write_fd_);
}

void PosixEventLoop::Post(Task task) {
  {
    std::lock_guard lock(posted_mutex_);
    posted_.push_back(std::move(task));
  }
  // One byte wakes a waiting poll. A full pipe already holds a wake-up, so EAGAIN is fine.
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wake_write_fd_, &byte, 1);
}

void PosixEventLoop::WatchReadable(int fd, ReadableCallback callback) {
  watches_[fd] = Watch{next_watch_id_++, std::make_shared<ReadableCallback>(std::move(callback))};
}

void PosixEventLoop::Unwatch(int fd) {
  watches_.erase(fd);
}

bool PosixEventLoop::HasPostedTasks() {
  std::lock_guard lock(posted_mutex_);
  return !posted_.empty();
}

void PosixEventLoop::DrainWakePipe() {
  char bytes[64];
  while (read(wake_read_fd_, bytes, sizeof bytes) > 0) {
  }
}

bool PosixEventLoop::RunPostedTasks() {
  // Only the tasks queued so far: a task that posts again waits for the next round, so a
  // self-reposting task cannot starve the descriptors.
  std::size_t count = 0;
  {
    std::lock_guard lock(posted_mutex_);
    count = posted_.size();
  }
  for (std::size_t i = 0; i < count; ++i) {
    Task task;
    {
      std::lock_guard lock(posted_mutex_);
      task = std::move(posted_.front());
      posted_.pop_front();
    }
    task();
  }
  return count > 0;
}

bool PosixEventLoop::RunOnce(std::chrono::milliseconds max_wait) {
  struct Polled {
    int fd;
    std::uint64_t id;
  };
  std::vector<pollfd> poll_fds{{wake_read_fd_, POLLIN, 0}};
  std::vector<Polled> polled;
  for (const auto& [fd, watch] : watches_) {
    poll_fds.push_back({fd, POLLIN, 0});
    polled.push_back({fd, watch.id});
  }

  const int timeout = HasPostedTasks() ? 0 : PollTimeout(max_wait);
  if (poll(poll_fds.data(), poll_fds.size(), timeout) < 0) {
    if (errno == EINTR) {
      return false;
    }
    throw std::system_error(errno, std::generic_category(), "poll");
  }

  // Drain before taking the tasks: a wake-up written after this point stays for next round.
  DrainWakePipe();
  bool ran = RunPostedTasks();

  for (std::size_t i = 0; i < polled.size(); ++i) {
    const short revents = poll_fds[i + 1].revents;
    const auto found = watches_.find(polled[i].fd);
    // Skip descriptors unwatched, or watched anew, by an earlier callback of this round.
    if (revents == 0 || found == watches_.end() || found->second.id != polled[i].id) {
      continue;
    }
    if (revents & POLLNVAL) {
      // Closed without Unwatch: nothing can ever be read, and poll would report it forever.
      watches_.erase(found);
      continue;
    }
    // Hold the callback: it may unwatch its own descriptor while it runs.
    const std::shared_ptr<ReadableCallback> callback = found->second.callback;
    (*callback)();
    ran = true;
  }
  return ran;
}

bool PosixEventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + limit;
  while (!done()) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    RunOnce(remaining);
    if (Clock::now() >= deadline) {
      return done();
    }
  }
  return true;
}

}  // namespace tempiko::posix
