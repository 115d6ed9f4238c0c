#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tempiko::sync {

class SyncRun;

// The synchronisation worker: one per run, started by Button1Click on a thread of its own. It
// takes the dial decision, waits for a freshly dialled link, resolves the server, writes the
// request lines, sends the request and arms the reply timeout. Each of its changes to the
// window is carried out on the window thread, in order, and waited for.
class TRASThreed {
 public:
  static constexpr int kMaxLinkQueries = 600;  // passes with a pause: about a minute

  TRASThreed(SyncRun& run, std::uint64_t run_number) : run_(run), run_number_(run_number) {}

  // The thread body. Nothing escapes it: the silent EAbort ends it quietly, any other failure
  // ends the run with the failure's text on the status line.
  void Execute();

 private:
  void Steps();
  void WaitForLink();
  void SendRequest();
  void OnWindow(const std::function<void()>& change);
  void Log(const std::string& line);

  SyncRun& run_;
  const std::uint64_t run_number_;
};

}  // namespace tempiko::sync
