#pragma once

#include <string>
#include <string_view>

#include "sync/date_time.h"
#include "sync/locale.h"

namespace tempiko::sync {

// Formats a date-time value with the program's date-time pattern language (the clock label's
// display pattern and the regional formats of Locale). Letters are matched without regard to
// case; an empty pattern behaves as "c". Elements:
//   y yy / yyyy      year, two / four digits
//   m mm             month without / with leading zero; minutes right after an hour element
//   mmm mmmm         short / long month name
//   d dd             day without / with leading zero
//   ddd dddd         short / long day name (aaa aaaa too)
//   ddddd dddddd     regional short / long date
//   e ee, g gg       year of the era / era name
//   h hh             hour; on the 12-hour clock when an AM/PM element is present
//   n nn, s ss       minutes, seconds
//   z zzz            milliseconds without / with leading zeros
//   t tt             regional short / long time
//   c                regional short date then long time (time left out at exact midnight)
//   ampm             regional morning/afternoon marker; am/pm and a/p in the case written
//   / and :          regional date and time separators
//   "..." '...'      literal text; any other character stands for itself
std::string FormatDateTime(std::string_view pattern, DateTime value, const Locale& locale);

}  // namespace tempiko::sync
