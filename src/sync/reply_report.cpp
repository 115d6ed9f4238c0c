#include "sync/reply_report.h"

#include <algorithm>
#include <string>

#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

constexpr int kLeapAlarm = 3;           // the server's clock is not synchronised
constexpr int kStratumUnspecified = 0;  // kiss-o'-death or an unsynchronised server
constexpr int kStratumPrimary = 1;      // the identifier names the reference clock
constexpr std::uint8_t kLowestVisible = 0x20;
constexpr std::uint8_t kHighestVisible = 0x7E;

bool TransmitTimestampIsZero(const MessageBuffer& message) {
  const auto field = message.begin() + ntp_field::kTransmitTimestamp;
  return std::all_of(field, field + ntp_field::kTimestampSize,
                     [](std::uint8_t byte) { return byte == 0; });
}

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

bool ReplyReport::ShowReplyDetails(const MessageBuffer& message, DateTime t1) {
  const NtpHeader header = DecodeHeader(message);
  const bool accepted = header.leap_indicator != kLeapAlarm &&
                        header.stratum != kStratumUnspecified && !TransmitTimestampIsZero(message);

  WriteLine("Leap Indicator:", std::to_string(header.leap_indicator));
  WriteLine("Version Number:", std::to_string(header.version));
  WriteLine("Mode:", std::to_string(header.mode));
  WriteLine("Stratum:", std::to_string(header.stratum));
  WriteLine("Poll:", std::to_string(header.poll));
  WriteLine("Precision:", std::to_string(header.precision));
  if (header.stratum == kStratumPrimary) {
    WriteLine("Reference Identifier:", ReferenceIdentifierText(header));
  }
  ShowTimestamp(message, ntp_field::kReferenceTimestamp, "Reference Timestamp(UTC):");
  // Our request carries no transmit timestamp, so the reply's originate field is empty: our own
  // record of the send instant stands in for it.
  WriteLine("Originate Timestamp(UTC):", InstantText(t1, locale_));
  ShowTimestamp(message, ntp_field::kReceiveTimestamp, "Receive Timestamp(UTC):");
  ShowTimestamp(message, ntp_field::kTransmitTimestamp, "Transmit Timestamp(UTC):");
  return accepted;
}

void ReplyReport::ShowTimestamp(const MessageBuffer& message, std::size_t offset,
                                std::string_view label) {
  const DateTime value = NtpTimeToDateTime(message, offset);
  WriteLine(label, InstantText(value, locale_));
  if (offset == ntp_field::kReceiveTimestamp) {
    t2_ = value;
  } else if (offset == ntp_field::kTransmitTimestamp) {
    t3_ = value;
  }
}

void ReplyReport::WriteLine(std::string_view label, std::string_view value) {
  std::string line(label);
  line += value;
  log_.Append(line);
}

}  // namespace tempiko::sync
