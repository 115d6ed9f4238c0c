#pragma once

#include "app/text_codec.h"

namespace tempiko::win32 {

// The Shift-JIS codec on the system's own code page 932 tables, which every Windows has
// whatever its ANSI code page.
class Win32Codec : public app::TextCodec {
 public:
  std::string Utf8ToShiftJis(std::string_view utf8) override;
  std::string ShiftJisToUtf8(std::string_view shift_jis) override;
};

}  // namespace tempiko::win32
