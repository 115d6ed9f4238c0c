#pragma once

#include "app/text_codec.h"

namespace tempiko::posix {

// The Shift-JIS codec on iconv's "CP932" (Windows code page 932, NEC and IBM extensions
// included), whatever the process's locale.
class PosixTextCodec : public app::TextCodec {
 public:
  std::string Utf8ToShiftJis(std::string_view utf8) override;
  std::string ShiftJisToUtf8(std::string_view shift_jis) override;
};

}  // namespace tempiko::posix
