// The formatter and the reader of stored dates cut a pattern the same way: under every regional
// format, what DateTimeText writes reads back to the same second.
#include <gtest/gtest.h>

#include "sync/date_parse.h"
#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

Locale EnglishNames(Locale locale) {
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

Locale MakeLocale(const RegionalFormats& formats) {
  Locale locale = Locale::Japanese();
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

const RegionalFormats kRegionalFormats[] = {
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

void PrintTo(const RegionalFormats& formats, std::ostream* os) {
  *os << formats.name;
}

class RegionalRoundTripTest : public ::testing::TestWithParam<RegionalFormats> {};

TEST_P(RegionalRoundTripTest, WhatTheFormatterWritesReadsBackToTheSecond) {
  const Locale locale = MakeLocale(GetParam());
  // Both halves of the day on the 12-hour clock, its 12 o'clock edges, the ends of a day, a
  // leap day and the bounds of two-digit years; the milliseconds are not written.
  const CalendarFields instants[] = {{2021, 3, 4, 13, 5, 6, 789}, {2021, 3, 4, 9, 5, 6, 0},
                                     {2020, 1, 1, 0, 30, 0, 0},   {2020, 1, 1, 12, 30, 0, 0},
                                     {2020, 1, 1, 0, 0, 0, 0},    {2024, 2, 29, 23, 59, 59, 999},
                                     {1950, 12, 31, 7, 0, 1, 0},  {2049, 11, 22, 18, 45, 0, 0}};
  for (CalendarFields fields : instants) {
    const DateTime value = EncodeDateTime(fields);
    fields.millisecond = 0;
    const std::string text = DateTimeText(value, locale);
    EXPECT_EQ(ParseDateTimeText(text, locale), EncodeDateTime(fields)) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, RegionalRoundTripTest, ::testing::ValuesIn(kRegionalFormats));

}  // namespace
}  // namespace tempiko::sync
