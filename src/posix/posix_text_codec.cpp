#include "posix/posix_text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace tempiko::posix {
namespace {

// The byte count of the UTF-8 sequence that starts the text (1 for a stray byte).
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text.front());
  if (lead >= 0xF0 && lead <= 0xF4)
    return 4;
  if (lead >= 0xE0)
    return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2)
    return 2;
  return 1;
}

// The byte count of the Shift-JIS character that starts the text: a lead byte takes its
// trail byte with it only when that is one, so that a line end or a letter after a stray lead
// byte survives.
std::size_t ShiftJisSequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text.front());
  if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) || text.size() < 2)
    return 1;
  const auto trail = static_cast<unsigned char>(text[1]);
  return (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) ? 2 : 1;
}

// Converts the whole text; a sequence the converter rejects is replaced by `replacement` and
// skipped by the length `skip` gives, so the conversion never fails.
template <typename SkipLength>
std::string Convert(const char* to, const char* from, std::string_view text,
                    std::string_view replacement, SkipLength skip) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
  std::string result;
  char buffer[256];
  char* in = const_cast<char*>(text.data());  // iconv's signature; the input is not written
  std::size_t in_left = text.size();
  while (in_left > 0) {
    char* out = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t done = iconv(converter, &in, &in_left, &out, &out_left);
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    if (done != static_cast<std::size_t>(-1) || errno == E2BIG)
      continue;
    // EILSEQ, or EINVAL for a sequence cut off at the end of the text.
    const std::size_t length = std::min(in_left, skip(std::string_view(in, in_left)));
    result += replacement;
    in += length;
    in_left -= length;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return result;
}

}  // namespace

std::string PosixTextCodec::Utf8ToShiftJis(std::string_view utf8) {
  return Convert("CP932", "UTF-8", utf8, "?", Utf8SequenceLength);
}

std::string PosixTextCodec::ShiftJisToUtf8(std::string_view shift_jis) {
  return Convert("UTF-8", "CP932", shift_jis, "・", ShiftJisSequenceLength);
}

}  // namespace tempiko::posix
