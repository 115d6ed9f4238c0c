#pragma once

#include "ui/controls.h"
#include "win32/controls/control_base.h"

namespace tempiko::win32 {

// The log: a multi-line read-only edit with a vertical scroll bar. Each line ends with CR LF;
// appending a line scrolls to the end.
class Win32Memo : public Win32Control<ui::Memo> {
 public:
  Win32Memo(const ControlParent& parent, const ControlSpec& setup);

  void Append(const std::string& line) override;
  std::vector<std::string> Lines() const override;

 private:
  void DropOldestLines(std::size_t count);

  std::size_t line_count_ = 0;  // the text changes only through Append
};

}  // namespace tempiko::win32
