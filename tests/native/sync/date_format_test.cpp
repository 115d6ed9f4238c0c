#include "sync/date_format.h"

#include <gtest/gtest.h>

namespace tempiko::sync {
namespace {

const DateTime kAfternoon = EncodeDateTime({2020, 1, 1, 13, 2, 3, 456});  // a Wednesday
const DateTime kMorning = EncodeDateTime({2020, 11, 22, 9, 5, 7, 8});     // a Sunday
const DateTime kMidnight = EncodeDateTime({2020, 1, 1, 0, 0, 0, 0});
const DateTime kNoon = EncodeDateTime({2020, 1, 1, 12, 0, 0, 0});

struct PatternCase {
  const char* pattern;
  const DateTime* value;
  const char* text;
};

void PrintTo(const PatternCase& c, std::ostream* os) {
  *os << '"' << c.pattern << '"';
}

class FormatDateTimeTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(FormatDateTimeTest, RendersThePatternInTheJapaneseLocale) {
  EXPECT_EQ(FormatDateTime(GetParam().pattern, *GetParam().value, Locale::Japanese()),
            GetParam().text);
}

const PatternCase kElements[] = {
    {"yyyy", &kAfternoon, "2020"},
    {"yy", &kAfternoon, "20"},
    {"y", &kAfternoon, "20"},
    {"m", &kAfternoon, "1"},
    {"mm", &kAfternoon, "01"},
    {"mm", &kMorning, "11"},
    {"mmm", &kMorning, "11月"},
    {"mmmm", &kAfternoon, "1月"},
    {"d", &kAfternoon, "1"},
    {"dd", &kAfternoon, "01"},
    {"ddd", &kAfternoon, "水"},
    {"dddd", &kMorning, "日曜日"},
    {"aaa", &kMorning, "日"},
    {"aaaa", &kAfternoon, "水曜日"},
    {"ddddd", &kAfternoon, "2020/01/01"},
    {"dddddd", &kMorning, "2020年11月22日"},
    {"e", &kAfternoon, "2020"},
    {"ee", &kAfternoon, "2020"},
    {"g", &kAfternoon, "西暦"},
    {"gg", &kAfternoon, "西暦"},
    {"h", &kMorning, "9"},
    {"hh", &kMorning, "09"},
    {"hh", &kAfternoon, "13"},
    {"n", &kMorning, "5"},
    {"nn", &kMorning, "05"},
    {"s", &kMorning, "7"},
    {"ss", &kMorning, "07"},
    {"z", &kMorning, "8"},
    {"zzz", &kMorning, "008"},
    {"t", &kAfternoon, "13:02"},
    {"tt", &kAfternoon, "13:02:03"},
    {"c", &kAfternoon, "2020/01/01 13:02:03"},
    {"YYYY-MM-DD HH.NN.SS.ZZZ", &kAfternoon, "2020-01-01 13.02.03.456"},  // letters in any case
    {"x#年!", &kAfternoon, "x#年!"},  // characters that are no element stand for themselves
};
INSTANTIATE_TEST_SUITE_P(Elements, FormatDateTimeTest, ::testing::ValuesIn(kElements));

const PatternCase kTwelveHourClock[] = {
    {"h AMPM", &kAfternoon, "1 午後"},
    {"AMPM hh", &kAfternoon, "午後 01"},
    {"AMPM h", &kMorning, "午前 9"},
    {"hh am/pm", &kAfternoon, "01 pm"},
    {"hh AM/PM", &kMorning, "09 AM"},
    {"hh Am/pM", &kAfternoon, "01 pM"},
    {"h a/p", &kAfternoon, "1 p"},
    {"h A/P", &kMorning, "9 A"},
    {"h:nn am/pm", &kMidnight, "12:00 am"},
    {"h:nn am/pm", &kNoon, "12:00 pm"},
    {"'am/pm' h", &kAfternoon, "am/pm 13"},  // quoted: no AM/PM element, 24-hour clock
    {"yyyy/mm/dd AMPM hh:nn:ss", &kAfternoon, "2020/01/01 午後 01:02:03"},
    {"yyyy/mm/dd AMPM hh:nn:ss", &kMorning, "2020/11/22 午前 09:05:07"},
    {"AMPM t", &kAfternoon, "午後 1:02"},  // the 12-hour clock carries into regional formats
};
INSTANTIATE_TEST_SUITE_P(TwelveHourClock, FormatDateTimeTest,
                         ::testing::ValuesIn(kTwelveHourClock));

const PatternCase kMinutesAfterHours[] = {
    {"h:m", &kAfternoon, "13:2"},
    {"hh:mm", &kMorning, "09:05"},
    {"hh'時'mm'分'", &kAfternoon, "13時02分"},
    {"hhmm", &kAfternoon, "1302"},
    {"h d m", &kMorning, "9 22 11"},      // a day element between: the month again
    {"hh:nn mm", &kMorning, "09:05 11"},  // only right after an hour element
    {"mm/dd hh:mm", &kMorning, "11/22 09:05"},
};
INSTANTIATE_TEST_SUITE_P(MinutesAfterHours, FormatDateTimeTest,
                         ::testing::ValuesIn(kMinutesAfterHours));

const PatternCase kQuotes[] = {
    {"yyyy'年'm'月'", &kAfternoon, "2020年1月"},      {"\"hh\" h", &kAfternoon, "hh 13"},
    {"'say \"yy\"'", &kAfternoon, "say \"yy\""},      {"\"it's\"", &kAfternoon, "it's"},
    {"yy'unclosed yy", &kAfternoon, "20unclosed yy"},
};
INSTANTIATE_TEST_SUITE_P(Quotes, FormatDateTimeTest, ::testing::ValuesIn(kQuotes));

const PatternCase kRegionalAtMidnight[] = {
    {"", &kAfternoon, "2020/01/01 13:02:03"},  // an empty pattern is "c"
    {"", &kMidnight, "2020/01/01"},
    {"c", &kMidnight, "2020/01/01"},
    {"ddddd", &kMidnight, "2020/01/01"},
    {"t", &kMidnight, "0:00"},
    {"tt", &kMidnight, "0:00:00"},
    {"c", &kNoon, "2020/01/01 12:00:00"},
};
INSTANTIATE_TEST_SUITE_P(RegionalAtMidnight, FormatDateTimeTest,
                         ::testing::ValuesIn(kRegionalAtMidnight));

TEST(FormatDateTimeRoundingTest, EveryFieldComesFromOneMillisecondRounding) {
  const DateTime almost = kMidnight - 0.4 / kMillisecondsPerDay;  // 23:59:59.9996 the day before
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss.zzz", almost, Locale::Japanese()),
            "2020/01/01 00:00:00.000");
}

TEST(FormatDateTimeLocaleTest, UsesTheLocaleSeparatorsAndFormats) {
  Locale locale = Locale::Japanese();
  locale.date_separator = ".";
  locale.time_separator = "-";
  locale.short_date_format = "dd/mm/yyyy";
  locale.long_time_format = "AMPM h:mm:ss";
  locale.time_am = "AM";
  locale.time_pm = "PM";
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", kAfternoon, locale), "2020.01.01 13-02");
  // The regional long time carries its own 12-hour clock.
  EXPECT_EQ(FormatDateTime("c", kAfternoon, locale), "01.01.2020 PM 1-02-03");
}

TEST(FormatDateTimeLocaleTest, RegionalFormatsDoNotExpandEachOther) {
  Locale locale = Locale::Japanese();
  locale.short_date_format = "[ddddd]";  // as a broken system setting could read
  locale.long_time_format = "<tt>";
  EXPECT_EQ(FormatDateTime("c", kAfternoon, locale), "[] <>");
  EXPECT_EQ(FormatDateTime("ddddd!", kAfternoon, locale), "[]!");
}

TEST(FormatDateTimeEraTest, CountsTheYearFromTheEraInForce) {
  Locale locale = Locale::Japanese();
  locale.eras = {{EncodeDateTime({1989, 1, 8}), 1988, "H", "平成"},
                 {EncodeDateTime({2019, 5, 1}), 2018, "R", "令和"}};
  const DateTime heisei_last = EncodeDateTime({2019, 4, 30, 23, 59, 59, 999});
  EXPECT_EQ(FormatDateTime("gge'年'", heisei_last, locale), "平成31年");
  EXPECT_EQ(FormatDateTime("gee", kAfternoon, locale), "R02");
  // Before the first era there is no era name, and the year is the Gregorian one.
  EXPECT_EQ(FormatDateTime("[g]e", EncodeDateTime({1980, 1, 1}), locale), "[]1980");
}

}  // namespace
}  // namespace tempiko::sync
