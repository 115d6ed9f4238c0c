#include "sync/locale.h"

#include <string>

namespace tempiko::sync {

Locale Locale::Japanese() {
  Locale locale;  // the member defaults are the Japanese formats, separators and markers
  for (int month = 1; month <= 12; ++month) {
    const std::string name = std::to_string(month) + "月";
    locale.short_month_names[month - 1] = name;
    locale.long_month_names[month - 1] = name;
  }
  locale.short_day_names = {"日", "月", "火", "水", "木", "金", "土"};
  locale.long_day_names = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

  // The Japanese regional settings use the Gregorian calendar, whose one era is the common era
  // "西暦": its year is the Gregorian year itself. Before 0001-01-01 no era applies.
  Era common_era;
  common_era.start = EncodeDateTime({.year = 1, .month = 1, .day = 1});
  common_era.year_offset = 0;
  common_era.short_name = "西暦";
  common_era.long_name = "西暦";
  locale.eras.push_back(common_era);
  return locale;
}

}  // namespace tempiko::sync
