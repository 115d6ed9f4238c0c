#pragma once

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace tempiko::ui {

// Controls that live in memory only: the tests' window.

template <typename Base>
class MemoryControl : public Base {
 public:
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }

 private:
  bool enabled_ = true;
  bool visible_ = true;
};

template <typename Base>
class MemoryTextControl : public MemoryControl<Base> {
 public:
  explicit MemoryTextControl(std::string text = {}) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

using MemoryButton = MemoryTextControl<Button>;
using MemoryLabel = MemoryTextControl<Label>;
using MemoryStatusBar = MemoryTextControl<StatusBar>;

class MemoryComboBox : public MemoryTextControl<ComboBox> {
 public:
  std::vector<std::string> Items() const override { return items_; }
  void SetItems(const std::vector<std::string>& items) override {
    items_ = items;
    index_ = -1;
  }
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override {
    index_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
    if (index_ >= 0)
      SetText(items_[static_cast<std::size_t>(index_)]);
  }
  // Typing into the field leaves no entry selected.
  void Type(const std::string& text) {
    SetText(text);
    index_ = -1;
  }

 private:
  std::vector<std::string> items_;
  int index_ = -1;
};

class MemoryMemo : public MemoryControl<Memo> {
 public:
  void Append(const std::string& line) override {
    lines_.push_back(line);
    if (lines_.size() > kMaxLines)
      lines_.erase(lines_.begin(), lines_.end() - static_cast<std::ptrdiff_t>(kLinesKept));
  }
  std::vector<std::string> Lines() const override { return lines_; }

 private:
  std::vector<std::string> lines_;
};

class MemorySpinEdit : public MemoryControl<SpinEdit> {
 public:
  // Limits of 0/0 mean none, as in a field without bounds.
  MemorySpinEdit(int value = 0, int min = 0, int max = 0) : min_(min), max_(max) {
    SetValue(value);
  }
  int Value() const override { return value_; }
  void SetValue(int value) override {
    value_ = (min_ == 0 && max_ == 0) ? value : std::clamp(value, min_, max_);
  }

 private:
  int min_;
  int max_;
  int value_ = 0;
};

class MemoryCheckBox : public MemoryControl<CheckBox> {
 public:
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override { checked_ = checked; }

 private:
  bool checked_ = false;
};

class MemoryRadioGroup : public MemoryControl<RadioGroup> {
 public:
  explicit MemoryRadioGroup(int items = 2, int index = 0) : items_(items), index_(index) {}
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override { index_ = std::clamp(index, -1, items_ - 1); }

 private:
  int items_;
  int index_;
};

}  // namespace tempiko::ui
