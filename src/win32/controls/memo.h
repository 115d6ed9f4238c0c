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
};

}  // namespace tempiko::win32
