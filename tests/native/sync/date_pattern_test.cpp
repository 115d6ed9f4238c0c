// The formatter and the reader of stored dates cut a pattern the same way: under every regional
// format, what DateTimeText writes reads back to the same second.
#include <gtest/gtest.h>

#include "fakes/regional_formats.h"
#include "sync/date_parse.h"
#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

using fakes::MakeLocale;
using fakes::RegionalFormats;

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

INSTANTIATE_TEST_SUITE_P(Formats, RegionalRoundTripTest,
                         ::testing::ValuesIn(fakes::kRegionalFormats));

}  // namespace
}  // namespace tempiko::sync
