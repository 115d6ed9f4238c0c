#include "win32/win32_locale.h"

#include <windows.h>

#include "win32/text_encoding.h"

namespace tempiko::win32 {
namespace {

std::string LocaleText(LCTYPE item, const char* fallback) {
  wchar_t buffer[256];
  const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buffer, 256);
  if (length <= 1)
    return fallback;
  return WideToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

// Reads the Windows quoted literal that opens at `i` ('' standing for one quote, inside or
// outside quotes), leaves `i` on its last character and returns it quoted for the pattern
// language.
std::string QuotedLiteral(std::string_view format, std::size_t& i) {
  std::string literal;
  if (i + 1 < format.size() && format[i + 1] == '\'') {
    ++i;
    return "\"'\"";
  }
  for (++i; i < format.size(); ++i) {
    if (format[i] != '\'') {
      literal += format[i];
    } else if (i + 1 < format.size() && format[i + 1] == '\'') {
      literal += '\'';
      ++i;
    } else {
      break;
    }
  }
  if (literal.find('"') == std::string::npos)
    return '"' + literal + '"';
  std::string quoted;  // rare: a literal holding both kinds of quote, one character at a time
  for (char ch : literal)
    quoted += ch == '"' ? std::string("'\"'") : '"' + std::string(1, ch) + '"';
  return quoted;
}

}  // namespace

std::string TranslateRegionalFormat(std::string_view windows_format) {
  std::string result;
  const std::size_t n = windows_format.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = windows_format[i];
    if (c == '\'') {
      result += QuotedLiteral(windows_format, i);
    } else if (c == 't') {
      while (i + 1 < n && windows_format[i + 1] == 't')
        ++i;
      result += "ampm";
    } else if (c == 'H') {
      result += 'h';
    } else {
      result += c;
    }
  }
  return result;
}

sync::Locale ReadUserLocale() {
  sync::Locale locale = sync::Locale::Japanese();
  locale.short_date_format = TranslateRegionalFormat(LocaleText(LOCALE_SSHORTDATE, "yyyy/MM/dd"));
  locale.long_date_format =
      TranslateRegionalFormat(LocaleText(LOCALE_SLONGDATE, "yyyy'年'M'月'd'日'"));
  locale.long_time_format = TranslateRegionalFormat(LocaleText(LOCALE_STIMEFORMAT, "H:mm:ss"));
  locale.short_time_format = TranslateRegionalFormat(LocaleText(LOCALE_SSHORTTIME, "H:mm"));
  locale.date_separator = LocaleText(LOCALE_SDATE, "/");
  locale.time_separator = LocaleText(LOCALE_STIME, ":");
  locale.time_am = LocaleText(LOCALE_S1159, "午前");
  locale.time_pm = LocaleText(LOCALE_S2359, "午後");
  for (int month = 0; month < 12; ++month) {
    const auto index = static_cast<std::size_t>(month);
    locale.short_month_names[index] =
        LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + month),
                   locale.short_month_names[index].c_str());
    locale.long_month_names[index] = LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + month),
                                                locale.long_month_names[index].c_str());
  }
  // Windows counts the days from Monday; the program from Sunday.
  for (int day = 0; day < 7; ++day) {
    const auto index = static_cast<std::size_t>((day + 1) % 7);
    locale.short_day_names[index] = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + day),
                                               locale.short_day_names[index].c_str());
    locale.long_day_names[index] = LocaleText(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + day),
                                              locale.long_day_names[index].c_str());
  }
  return locale;
}

}  // namespace tempiko::win32
