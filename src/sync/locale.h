#pragma once

#include <array>
#include <string>
#include <vector>

#include "sync/date_time.h"

namespace tempiko::sync {

// The user's regional date and time settings, as the text forms and the clock label's
// pattern language use them. The formats are written in the program's own pattern language
// (see date_format.h): the Win32 adapter translates the system's regional formats into it.
struct Locale {
  std::string short_date_format = "yyyy/mm/dd";
  std::string long_date_format = "yyyy'年'm'月'd'日'";
  std::string short_time_format = "h:mm";
  std::string long_time_format = "h:mm:ss";
  std::string date_separator = "/";
  std::string time_separator = ":";
  std::string time_am = "午前";
  std::string time_pm = "午後";
  std::array<std::string, 12> short_month_names;  // January first
  std::array<std::string, 12> long_month_names;
  std::array<std::string, 7> short_day_names;  // Sunday first
  std::array<std::string, 7> long_day_names;

  // An era of the regional calendar: years counted from `start` (local date-time).
  struct Era {
    DateTime start = 0;
    int year_offset = 0;  // the Gregorian year of the era's first year, minus one
    std::string short_name;
    std::string long_name;
  };
  std::vector<Era> eras;  // in order of start; the last one that has begun applies

  // The Japanese regional settings (yyyy/MM/dd, H:mm:ss, 午前/午後), which tests use unless
  // they are about another locale.
  static Locale Japanese();
};

}  // namespace tempiko::sync
