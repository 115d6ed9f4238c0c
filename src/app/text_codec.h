#pragma once

#include <string>
#include <string_view>

namespace tempiko::app {

// Converts between the core's UTF-8 and the settings file's Shift-JIS (code page 932), which
// earlier versions of the program wrote whatever the system's code page. Neither direction
// fails: a character that code page 932 lacks is written as "?", and a byte sequence that is
// not Shift-JIS reads as "・" (U+30FB).
class TextCodec {
 public:
  virtual ~TextCodec() = default;
  virtual std::string Utf8ToShiftJis(std::string_view utf8) = 0;
  virtual std::string ShiftJisToUtf8(std::string_view shift_jis) = 0;
};

}  // namespace tempiko::app
