#pragma once

#include <atomic>
#include <string>

#include "ui/controls.h"

namespace tempiko::app {

// A label as one of its writers sees it: every text that writer sets also clears `settled`.
// The clock label's tick is asked from another thread whether the label needs it (see
// MainForm::ClockLabelDue); when a run writes the label, this tells it so.
class MarkingLabel final : public ui::Label {
 public:
  MarkingLabel(ui::Label& label, std::atomic<bool>& settled) : label_(label), settled_(settled) {}

  std::string Text() const override { return label_.Text(); }
  void SetText(const std::string& text) override {
    label_.SetText(text);
    settled_ = false;
  }
  bool Enabled() const override { return label_.Enabled(); }
  void SetEnabled(bool enabled) override { label_.SetEnabled(enabled); }
  bool Visible() const override { return label_.Visible(); }
  void SetVisible(bool visible) override { label_.SetVisible(visible); }

 private:
  ui::Label& label_;
  std::atomic<bool>& settled_;
};

}  // namespace tempiko::app
