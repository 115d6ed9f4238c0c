#include "sync/reply_report.h"

#include <cstdint>

#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

constexpr int kStratumPrimary = 1;  // the identifier names the reference clock
constexpr std::uint8_t kLowestVisible = 0x20;
constexpr std::uint8_t kHighestVisible = 0x7E;

// The identifier's four bytes as characters, up to the first zero byte. The bytes come from
// the network: anything but a visible ASCII character is shown as '?', so the line stays one
// line of valid text.
std::string ReferenceIdentifierText(const NtpHeader& header) {
  std::string text;
  for (const std::uint8_t byte : header.reference_id) {
    if (byte == 0) {
      break;
    }
    const bool visible = byte >= kLowestVisible && byte <= kHighestVisible;
    text += visible ? static_cast<char>(byte) : '?';
  }
  return text;
}

}  // namespace

std::vector<std::string> ReplyReportLines(const DecodedReply& reply, const Locale& locale) {
  const NtpHeader& header = reply.header;
  std::vector<std::string> lines = {
      "Leap Indicator:" + std::to_string(header.leap_indicator),
      "Version Number:" + std::to_string(header.version),
      "Mode:" + std::to_string(header.mode),
      "Stratum:" + std::to_string(header.stratum),
      "Poll:" + std::to_string(header.poll),
      "Precision:" + std::to_string(header.precision),
  };
  if (header.stratum == kStratumPrimary) {
    lines.push_back("Reference Identifier:" + ReferenceIdentifierText(header));
  }
  lines.push_back("Reference Timestamp(UTC):" + InstantText(reply.reference, locale));
  lines.push_back("Originate Timestamp(UTC):" + InstantText(reply.t1, locale));
  lines.push_back("Receive Timestamp(UTC):" + InstantText(reply.t2, locale));
  lines.push_back("Transmit Timestamp(UTC):" + InstantText(reply.t3, locale));
  return lines;
}

}  // namespace tempiko::sync
