#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tempiko::ui {

// The main window's controls as the program's logic sees them. Each kind is a small interface
// with one Win32 implementation (the real controls) and an in-memory one for the tests. Texts are
// UTF-8. The handlers that use them run on the window thread.

class Control {
 public:
  virtual ~Control() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

// A control with one text: a button's or label's caption, an edit's text, a status bar's
// single text.
class TextControl : public Control {
 public:
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

class Button : public TextControl {
 public:
  std::function<void()> OnClick;
  // What a click does, also while the button is disabled (as when the program presses it).
  void Click() {
    if (OnClick)
      OnClick();
  }
};

class Label : public TextControl {};

class StatusBar : public TextControl {};

// An editable drop-down list: its text, its entries and the selected one (-1: none).
class ComboBox : public TextControl {
 public:
  virtual std::vector<std::string> Items() const = 0;
  virtual void SetItems(const std::vector<std::string>& items) = 0;
  virtual int ItemIndex() const = 0;
  // Selects the entry (its text becomes the box's text); -1 selects none.
  virtual void SetItemIndex(int index) = 0;
};

// The log: lines are only ever appended. A program that stays in the tray for weeks would
// otherwise hold every line it ever wrote: past kMaxLines lines the oldest go, down to
// kLinesKept at once, so that trimming is rare.
class Memo : public Control {
 public:
  static constexpr std::size_t kMaxLines = 2000;
  static constexpr std::size_t kLinesKept = 1500;

  virtual void Append(const std::string& line) = 0;
  virtual std::vector<std::string> Lines() const = 0;
};

// A number field with arrows. A field with limits keeps its value inside them; a text that is
// not a whole number reads as the minimum.
class SpinEdit : public Control {
 public:
  virtual int Value() const = 0;
  virtual void SetValue(int value) = 0;
};

class CheckBox : public Control {
 public:
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;
};

class RadioGroup : public Control {
 public:
  virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;
};

}  // namespace tempiko::ui
