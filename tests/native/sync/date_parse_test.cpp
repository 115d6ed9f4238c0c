// Reading back the regional date-time text that the settings file stores.
#include "sync/date_parse.h"

#include <gtest/gtest.h>

#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

Locale UsLocale() {
  Locale locale = Locale::Japanese();
  locale.short_date_format = "M/d/yyyy";
  locale.long_time_format = "h:mm:ss ampm";
  locale.time_am = "AM";
  locale.time_pm = "PM";
  return locale;
}

Locale GermanLocale() {
  Locale locale = Locale::Japanese();
  locale.short_date_format = "dd.MM.yy";
  locale.date_separator = ".";
  locale.long_time_format = "hh:mm:ss";
  return locale;
}

TEST(DateParse, ReadsBackWhatDateTimeTextWrites) {
  const struct {
    const char* name;
    Locale locale;
  } locales[] = {
      {"Japanese", Locale::Japanese()},
      {"US", UsLocale()},
      {"German", GermanLocale()},
  };
  const CalendarFields instants[] = {
      {2021, 3, 4, 13, 5, 6, 0}, {2021, 12, 31, 0, 0, 0, 0},  {2024, 2, 29, 0, 0, 1, 0},
      {2001, 1, 1, 12, 0, 0, 0}, {2049, 7, 8, 23, 59, 59, 0},
  };
  for (const auto& l : locales) {
    for (const CalendarFields& fields : instants) {
      const DateTime value = EncodeDateTime(fields);
      const std::string text = DateTimeText(value, l.locale);
      EXPECT_EQ(ParseDateTimeText(text, l.locale), value) << l.name << " " << text;
    }
  }
}

TEST(DateParse, AcceptsBlanksAndMarkersOfTheLocale) {
  const Locale japanese = Locale::Japanese();
  EXPECT_EQ(ParseDateTimeText("  2021/3/4   9:05:06 ", japanese),
            EncodeDateTime({2021, 3, 4, 9, 5, 6, 0}));
  Locale marked = japanese;
  marked.long_time_format = "ampm h:mm:ss";
  EXPECT_EQ(ParseDateTimeText("2021/03/04 午後 1:05:06", marked),
            EncodeDateTime({2021, 3, 4, 13, 5, 6, 0}));
  EXPECT_EQ(ParseDateTimeText("2021/03/04 午前 12:00:00", marked), EncodeDateTime({2021, 3, 4}));
}

TEST(DateParse, TextsThatDoNotFollowTheFormatsDoNotParse) {
  const Locale japanese = Locale::Japanese();
  const char* texts[] = {
      "",
      "garbage",
      "2021-03-04 13:05:06",   // another separator
      "03/04/2021",            // another order: month 2021 does not exist
      "2021/02/30",            // no such day
      "2021/13/01",            //
      "2021/03/04 24:00:00",   //
      "2021/03/04 12:60:00",   //
      "2021/03/04 13:05:06x",  // text after the time
      "2021/03/0413:05:06",    // no blank between date and time
      "2021/03",               //
      "0000/01/01",            //
  };
  for (const char* text : texts)
    EXPECT_FALSE(ParseDateTimeText(text, japanese).has_value()) << text;

  EXPECT_FALSE(ParseDateTimeText("3/4/2021 13:05:06 PM", UsLocale()).has_value());
  EXPECT_FALSE(ParseDateTimeText("3/4/2021 1:05:06", UsLocale()).has_value());  // no marker
}

TEST(DateParse, TwoDigitYearsFallIn1950To2049) {
  EXPECT_EQ(ParseDateTimeText("04.03.21", GermanLocale()), EncodeDateTime({2021, 3, 4}));
  EXPECT_EQ(ParseDateTimeText("04.03.50", GermanLocale()), EncodeDateTime({1950, 3, 4}));
}

}  // namespace
}  // namespace tempiko::sync
