#pragma once

// Regional date and time settings of several countries, for the tests and fuzz targets of the
// date-time text forms.

#include <ostream>

#include "sync/locale.h"

namespace tempiko::fakes {

inline sync::Locale EnglishNames(sync::Locale locale) {
  locale.short_month_names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  locale.long_month_names = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};
  locale.short_day_names = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  locale.long_day_names = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                           "Thursday", "Friday", "Saturday"};
  return locale;
}

// The regional short date and long time as the Win32 adapter hands them over (translated into
// the program's pattern language), with the locale's separators and markers.
struct RegionalFormats {
  const char* name;
  const char* short_date;
  const char* long_time;
  const char* am = "午前";
  const char* pm = "午後";
  const char* date_separator = "/";
  const char* time_separator = ":";
  bool english_names = false;
};

inline sync::Locale MakeLocale(const RegionalFormats& formats) {
  sync::Locale locale = sync::Locale::Japanese();
  if (formats.english_names)
    locale = EnglishNames(locale);
  locale.short_date_format = formats.short_date;
  locale.long_time_format = formats.long_time;
  locale.time_am = formats.am;
  locale.time_pm = formats.pm;
  locale.date_separator = formats.date_separator;
  locale.time_separator = formats.time_separator;
  return locale;
}

inline const RegionalFormats kRegionalFormats[] = {
    {.name = "Japanese", .short_date = "yyyy/MM/dd", .long_time = "h:mm:ss"},
    {.name = "Japanese, kanji between the numbers",
     .short_date = "yyyy\"年\"M\"月\"d\"日\"",
     .long_time = "h\"時\"mm\"分\"ss\"秒\""},
    {.name = "US", .short_date = "M/d/yyyy", .long_time = "h:mm:ss ampm", .am = "AM", .pm = "PM"},
    {.name = "UK, two-digit year", .short_date = "dd/MM/yy", .long_time = "hh:mm:ss"},
    {.name = "German", .short_date = "dd.MM.yyyy", .long_time = "hh:mm:ss", .date_separator = "."},
    {.name = "Finnish, minutes after dots",
     .short_date = "d.M.yyyy",
     .long_time = "h.mm.ss",
     .time_separator = "."},
    {.name = "Korean, marker first",
     .short_date = "yyyy-MM-dd",
     .long_time = "ampm h:mm:ss",
     .am = "오전",
     .pm = "오후",
     .date_separator = "-"},
    {.name = "Hungarian, blanks in the date",
     .short_date = "yyyy. MM. dd.",
     .long_time = "h:mm:ss",
     .date_separator = ". "},
    {.name = "Bulgarian, quoted suffixes",
     .short_date = "d.M.yyyy \"г.\"",
     .long_time = "h:mm:ss \"ч.\"",
     .date_separator = "."},
    {.name = "month names, lower-case am/pm",
     .short_date = "dd-MMM-yy",
     .long_time = "h:mm:ss am/pm",
     .english_names = true},
    {.name = "day and long month names, a/p",
     .short_date = "dddd, MMMM d, yyyy",
     .long_time = "hh:mm:ss A/P",
     .english_names = true},
    {.name = "short day name, quoted blank",
     .short_date = "ddd' 'yyyy/M/d",
     .long_time = "H:nn:ss"},
    {.name = "letters that mean nothing", .short_date = "yyyy x MM x dd", .long_time = "hh:mm:ss"},
};

inline void PrintTo(const RegionalFormats& formats, std::ostream* os) {
  *os << formats.name;
}

}  // namespace tempiko::fakes
