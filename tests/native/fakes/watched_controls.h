#pragma once

// In-memory controls that record any use off the window thread (see ThreadRoles): the window's
// controls may only be touched there, a worker reaches them through WindowThread::Invoke.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_window_thread.h"
#include "fakes/memory_controls.h"

namespace tempiko::fakes {

// Watches the members every control has.
template <typename Base>
class Watched : public Base {
 public:
  Watched(ThreadRoles& roles, std::string name) : roles_(&roles), name_(std::move(name)) {}

  bool Enabled() const override {
    Check("Enabled");
    return Base::Enabled();
  }
  void SetEnabled(bool enabled) override {
    Check("SetEnabled");
    Base::SetEnabled(enabled);
  }

 protected:
  void Check(const char* what) const { roles_->Check(name_ + "." + what); }

 private:
  ThreadRoles* roles_;
  std::string name_;
};

// A button, label, status bar or combo box.
template <typename Base>
class WatchedText final : public Watched<Base> {
 public:
  WatchedText(ThreadRoles& roles, std::string name, const std::string& text = {})
      : Watched<Base>(roles, std::move(name)) {
    Base::SetText(text);
  }
  std::string Text() const override {
    this->Check("Text");
    return Base::Text();
  }
  void SetText(const std::string& text) override {
    this->Check("SetText");
    Base::SetText(text);
  }
};

using WatchedButton = WatchedText<ui::MemoryButton>;
using WatchedLabel = WatchedText<ui::MemoryLabel>;
using WatchedStatusBar = WatchedText<ui::MemoryStatusBar>;
using WatchedComboBox = WatchedText<ui::MemoryComboBox>;

class WatchedMemo final : public Watched<ui::MemoryMemo> {
 public:
  using Watched::Watched;
  void Append(const std::string& line) override {
    Check("Append");
    MemoryMemo::Append(line);
    if (after_append) {
      after_append();
    }
  }
  // Runs after each new line, as the time a real edit control takes to draw it.
  std::function<void()> after_append;
  std::vector<std::string> Lines() const override {
    Check("Lines");
    return MemoryMemo::Lines();
  }
};

class WatchedSpinEdit final : public Watched<ui::MemorySpinEdit> {
 public:
  WatchedSpinEdit(ThreadRoles& roles, std::string name, int value)
      : Watched(roles, std::move(name)) {
    MemorySpinEdit::SetValue(value);
  }
  int Value() const override {
    Check("Value");
    return MemorySpinEdit::Value();
  }
  void SetValue(int value) override {
    Check("SetValue");
    MemorySpinEdit::SetValue(value);
  }
};

}  // namespace tempiko::fakes
