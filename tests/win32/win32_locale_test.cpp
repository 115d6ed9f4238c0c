// The regional settings reach the core as a Locale in the program's pattern language.
#include <gtest/gtest.h>

#include <windows.h>

#include "sync/date_format.h"
#include "sync/date_time.h"
#include "win32/text_encoding.h"
#include "win32/win32_locale.h"

namespace tempiko {
namespace {

TEST(Win32Locale, TranslatesWindowsFormatsIntoThePatternLanguage) {
  struct Case {
    const char* windows;
    const char* ours;
  };
  const Case cases[] = {
      {"yyyy/MM/dd", "yyyy/MM/dd"},
      {"H:mm:ss", "h:mm:ss"},
      {"HH:mm", "hh:mm"},
      {"tt h:mm:ss", "ampm h:mm:ss"},
      {"h:mm:ss t", "h:mm:ss ampm"},
      {"yyyy'年'M'月'd'日'", "yyyy\"年\"M\"月\"d\"日\""},
      {"dd.MM.yyyy", "dd.MM.yyyy"},
      {"h 'o''clock'", "h \"o'clock\""},
      {"''H", "\"'\"h"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win32::TranslateRegionalFormat(c.windows), c.ours) << c.windows;
  }
}

// The translated regional formats, formatted by the core, read exactly as Windows' own
// formatting of the same instant.
TEST(Win32Locale, CoreFormatsTheRegionalSettingsAsWindowsDoes) {
  const sync::Locale locale = win32::ReadUserLocale();
  const SYSTEMTIME fields[] = {
      {2020, 1, 3, 2, 13, 4, 5, 0},
      {2026, 12, 3, 9, 9, 0, 7, 0},
      {1999, 11, 2, 30, 0, 0, 1, 0},
  };
  for (const SYSTEMTIME& st : fields) {
    wchar_t date[128];
    wchar_t time[128];
    ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128), 0);
    ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 128), 0);
    const sync::DateTime value =
        sync::EncodeDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, 0});
    EXPECT_EQ(sync::FormatDateTime("ddddd", value, locale), win32::WideToUtf8(date));
    EXPECT_EQ(sync::FormatDateTime("tt", value, locale), win32::WideToUtf8(time));
  }
}

TEST(Win32Locale, JapaneseMarkersReachTheDefaultClockPattern) {
  const sync::Locale locale = win32::ReadUserLocale();
  if (locale.time_am != "午前")
    GTEST_SKIP() << "the test prefix does not run in Japanese";
  const sync::DateTime value = sync::EncodeDateTime({2020, 1, 2, 13, 4, 5, 0});
  EXPECT_EQ(sync::FormatDateTime("yyyy/mm/dd AMPM hh:nn:ss", value, locale),
            "2020/01/02 午後 01:04:05");
}

}  // namespace
}  // namespace tempiko
