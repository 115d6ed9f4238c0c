#pragma once

#include <string>

#include "sync/locale.h"
#include "sync/run_view.h"
#include "ui/controls.h"

namespace tempiko::app {

// The controls a synchronisation run shows itself in.
struct RunControls {
  ui::Button& connect_button;  // "接続": off while a run is in progress
  ui::Label& offset_label;     // the last correction, "±0" before a request
  ui::Label& clock_label;      // the running clock, set at once after a correction
  ui::StatusBar& status_bar;   // the status line
  ui::Memo& log;               // one line per event
  ui::SpinEdit& tolerance_ms;  // offsets within this many ms are not corrected
};

// Shows a synchronisation run in the main window: the log's lines in their order, the labels,
// the status line and whether Connect can be pressed. It is also the window's status line for
// everything else the program reports. Window thread.
class RunPresenter final : public sync::RunView {
 public:
  RunPresenter(const RunControls& controls, const sync::Locale& locale)
      : c_(controls), locale_(locale) {}

  // The status line: the text on the status bar and as a new line of the log.
  void ShowStatus(const std::string& text);
  // The relay passed the server's reply on to its waiting clients: a line of the log only.
  void RelayForwarded();

  // sync::RunView
  int ToleranceMs() override;
  void RunStarted() override;
  void LinkDialled() override;
  void RequestPrepared(const sync::RequestRecord& request) override;
  void RequestSending(bool dial_failed) override;
  void ReplyJudged(const sync::DecodedReply& reply, sync::Verdict verdict,
                   int tolerance_ms) override;
  void ClockCorrected(const sync::DecodedReply& reply, sync::DateTime local_now) override;
  void CorrectionFinished(int error) override;
  void ServerNotFound() override;
  void NoResponse() override;
  void RunFailed(const std::string& text) override;
  void EndpointStatus(const std::string& text) override;
  void RunEnded() override;

 private:
  RunControls c_;
  const sync::Locale& locale_;
};

}  // namespace tempiko::app
