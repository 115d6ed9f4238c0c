#include "app/run_presenter.h"

#include "app/clock_setting_text.h"
#include "sync/reply_report.h"
#include "sync/text_forms.h"

namespace tempiko::app {
namespace {

constexpr char kDialledLog[] = "ダイアルアップ接続しました";
constexpr char kRequestSentLog[] = "ﾘｸｴｽﾄ送信:ServerPort=123 LocalPort=8263";
constexpr char kOffsetPending[] = "±0";
constexpr char kServerNotFound[] = "サーバーが見つかりません";
constexpr char kNoResponse[] = "サーバからの応答がありませんでした";
constexpr char kDelayTooLong[] = "応答時間が長いため補正しませんでした";
constexpr char kWithinTolerance[] = "ms以内誤差のため補正しませんでした";
constexpr char kCorrected[] = "補正完了";
constexpr char kRelayForwarded[] = "クライアントにデータを送信しました";

// The label shows the computer's error before the correction: "-" when it was behind (or
// exact), "+" when it was ahead.
std::string OffsetLabelText(sync::DateTime offset) {
  return sync::SignedDurationText(offset, sync::ToMilliseconds(offset) >= 0 ? '-' : '+');
}

}  // namespace

void RunPresenter::ShowStatus(const std::string& text) {
  c_.status_bar.SetText(text);
  c_.log.Append(text);
}

int RunPresenter::ToleranceMs() {
  return c_.tolerance_ms.Value();
}

void RunPresenter::RunStarted() {
  c_.connect_button.SetEnabled(false);
}

void RunPresenter::RelayForwarded() {
  c_.log.Append(kRelayForwarded);
}

void RunPresenter::LinkDialled() {
  c_.log.Append(kDialledLog);
}

void RunPresenter::RequestPrepared(const sync::RequestRecord& request) {
  c_.log.Append("Request:" + sync::DateTimeText(request.requested_at, locale_));
  c_.log.Append("NTPサーバ:" + request.server_text);
  c_.log.Append("IPアドレス:" + request.server_address);
}

void RunPresenter::RequestSending(bool dial_failed) {
  c_.offset_label.SetText(kOffsetPending);
  if (!dial_failed)
    c_.status_bar.SetText("");  // the status bar alone: the log keeps its last line
  c_.log.Append(kRequestSentLog);
}

void RunPresenter::ReplyJudged(const sync::DecodedReply& reply, sync::Verdict verdict,
                               int tolerance_ms) {
  for (const std::string& line : sync::ReplyReportLines(reply, locale_)) {
    c_.log.Append(line);
  }
  if (verdict == sync::Verdict::kRejected) {
    return;
  }
  c_.log.Append("Destination Timestamp(UTC):" + sync::InstantText(reply.t4, locale_));
  c_.log.Append("往復遅延時間:" + sync::DurationText(reply.delay));
  if (verdict == sync::Verdict::kTooSlow) {
    ShowStatus(kDelayTooLong);
    return;
  }
  c_.log.Append("誤差:" + sync::DurationText(reply.offset));
  if (verdict == sync::Verdict::kWithinTolerance) {
    ShowStatus(std::to_string(tolerance_ms) + kWithinTolerance);
  }
}

void RunPresenter::ClockCorrected(const sync::DecodedReply& reply, sync::DateTime local_now) {
  c_.offset_label.SetText(OffsetLabelText(reply.offset));
  c_.clock_label.SetText(sync::DateTimeText(local_now, locale_));
}

void RunPresenter::CorrectionFinished(int error) {
  ShowStatus(error == 0 ? kCorrected : ClockSettingFailureText(error));
}

void RunPresenter::ServerNotFound() {
  ShowStatus(kServerNotFound);
}

void RunPresenter::NoResponse() {
  ShowStatus(kNoResponse);
}

void RunPresenter::RunFailed(const std::string& text) {
  if (!text.empty()) {
    ShowStatus(text);
  }
}

void RunPresenter::EndpointStatus(const std::string& text) {
  ShowStatus(text);
}

void RunPresenter::RunEnded() {
  c_.connect_button.SetEnabled(true);
}

}  // namespace tempiko::app
