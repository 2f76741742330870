// Renders date and time sections: serial numbers to calendar dates in the 1900 and 1904
// systems, times rounded to the shown precision, elapsed hours, minutes and seconds.
#include <cmath>
#include <cstdint>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

constexpr std::u16string_view kMonthNames[] = {u"January",   u"February", u"March",    u"April",
                                               u"May",       u"June",     u"July",     u"August",
                                               u"September", u"October",  u"November", u"December"};

// The first serial the application cannot show: 1 January 10000 in the 1900 system.
constexpr double kSerialLimit1900 = 2958466;
constexpr double kSerialLimit1904 = 2958466 - 1462;

struct CivilDate {
  int year = 1900;
  int month = 1;
  int day = 0;
};

// Days since 1970-01-01 to a proleptic Gregorian date.
CivilDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2 ? 1 : 0)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr std::int64_t kDays1899Dec31 = -25568;  // days from 1970-01-01
constexpr std::int64_t kDays1904Jan1 = -24107;

// The calendar date and weekday (0 = Sunday) of a whole serial.
void DateOfSerial(std::int64_t serial, DateSystem system, CivilDate& date, int& weekday) {
  if (system == DateSystem::k1904) {
    date = CivilFromDays(kDays1904Jan1 + serial);
    weekday = static_cast<int>((serial + 5) % 7);
    return;
  }
  // The 1900 system counts a 29 February 1900 that never was (serial 60), and shows serial 0
  // as 0 January 1900; its weekdays follow the serials, so 1 January 1900 is a Sunday.
  weekday = static_cast<int>((serial + 6) % 7);
  if (serial == 0) {
    date = {1900, 1, 0};
  } else if (serial == 60) {
    date = {1900, 2, 29};
  } else {
    date = CivilFromDays(kDays1899Dec31 + (serial < 60 ? serial : serial - 1));
  }
}

// Digits of n, at least min_width of them; `zero` is '0' or a numeral marker.
void AppendNumber(std::int64_t n, int min_width, char16_t zero, std::u16string& out) {
  char buf[24];
  int len = 0;
  do {
    buf[len++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n > 0);
  for (int i = len; i < min_width; ++i) out.push_back(zero);
  while (len > 0) out.push_back(static_cast<char16_t>(zero + (buf[--len] - '0')));
}

}  // namespace

void RenderDateTimeSection(const CompiledCode& code, const Section& s, double value,
                           DateSystem system, bool show_minus, std::u16string& out) {
  const bool negative = value < 0;
  const double v = std::fabs(value);
  const double limit = system == DateSystem::k1904 ? kSerialLimit1904 : kSerialLimit1900;
  // The 1900 system has no calendar before its first day (a lone elapsed count may still be
  // negative); a 1904 workbook shows a negative date or time as its magnitude with a minus.
  if ((negative && show_minus && !s.elapsed_only && system == DateSystem::k1900) || v >= limit) {
    out.append(kUnrenderableDate);
    return;
  }
  // Round to the smallest unit shown: whole seconds, or the shown fraction of one.
  std::int64_t units_per_second = 1;
  for (int i = 0; i < s.subsecond_digits; ++i) units_per_second *= 10;
  const std::int64_t units_per_day = 86400 * units_per_second;
  const auto total_units =
      static_cast<std::int64_t>(std::floor(v * static_cast<double>(units_per_day) + 0.5));
  std::int64_t serial = total_units / units_per_day;
  // The calendar ends where the rounded value ends, not the stored one.
  if (static_cast<double>(serial) >= limit) {
    out.append(kUnrenderableDate);
    return;
  }
  const std::int64_t day_units = total_units % units_per_day;
  const std::int64_t subsecond = day_units % units_per_second;
  const std::int64_t day_seconds = day_units / units_per_second;
  const std::int64_t total_seconds = total_units / units_per_second;
  const int hour = static_cast<int>(day_seconds / 3600);
  const int minute = static_cast<int>(day_seconds / 60 % 60);
  const int second = static_cast<int>(day_seconds % 60);
  const std::size_t from = out.size();
  // Native numerals read years and fractions of a second digit by digit, the rest as numbers.
  const char16_t whole = s.numerals != 0 ? kWholeDigit : u'0';
  const char16_t single = s.numerals != 0 ? kSingleDigit : u'0';

  CivilDate date;
  int weekday = 0;
  bool date_known = false;
  auto need_date = [&] {
    if (!date_known) {
      DateOfSerial(serial, system, date, weekday);
      date_known = true;
    }
  };
  // Elapsed counts: the largest elapsed unit takes the whole span, smaller fields the rest.
  bool elapsed_hours = false, elapsed_minutes = false;
  for (const Token& t : s.tokens) {
    elapsed_hours = elapsed_hours || t.kind == Tok::kElapsedHours;
    elapsed_minutes = elapsed_minutes || t.kind == Tok::kElapsedMinutes;
  }

  if (negative && show_minus && total_units > 0) out.push_back(u'-');
  for (const Token& t : s.tokens) {
    switch (t.kind) {
      case Tok::kLiteral:
        out.append(code.literal, t.start, t.length);
        break;
      case Tok::kYear2:
        need_date();
        AppendNumber(date.year % 100, 2, single, out);
        break;
      case Tok::kYear4:
        need_date();
        AppendNumber(date.year, 4, single, out);
        break;
      case Tok::kMonth:
      case Tok::kMonth2:
        need_date();
        AppendNumber(date.month, t.kind == Tok::kMonth2 ? 2 : 1, whole, out);
        break;
      case Tok::kMonthAbbr:
        need_date();
        out.append(kMonthNames[date.month - 1].substr(0, 3));
        break;
      case Tok::kMonthName:
        need_date();
        out.append(kMonthNames[date.month - 1]);
        break;
      case Tok::kMonthLetter:
        need_date();
        out.push_back(kMonthNames[date.month - 1][0]);
        break;
      case Tok::kDay:
      case Tok::kDay2:
        need_date();
        AppendNumber(date.day, t.kind == Tok::kDay2 ? 2 : 1, whole, out);
        break;
      case Tok::kDayAbbr:
      case Tok::kDayName:
      case Tok::kLocalDayAbbr:
      case Tok::kLocalDayName:
        need_date();
        out.append(WeekdayText(s.locale, weekday,
                               t.kind == Tok::kDayName || t.kind == Tok::kLocalDayName,
                               t.kind == Tok::kLocalDayAbbr || t.kind == Tok::kLocalDayName));
        break;
      case Tok::kEra:
      case Tok::kEraYear: {
        need_date();
        const JapaneseEra era = JapaneseEraOf(date.year, date.month, date.day);
        if (t.kind == Tok::kEra) {
          out.append(JapaneseEraName(era.index, t.arg));
        } else {
          AppendNumber(era.year, t.arg, whole, out);
        }
        break;
      }
      case Tok::kHour:
      case Tok::kHour2: {
        int h = hour;
        if (s.twelve_hour) {
          h %= 12;
          if (h == 0) h = 12;
        }
        AppendNumber(h, t.kind == Tok::kHour2 ? 2 : 1, whole, out);
        break;
      }
      case Tok::kMinute:
      case Tok::kMinute2:
        AppendNumber(elapsed_hours || !elapsed_minutes ? minute : 0,
                     t.kind == Tok::kMinute2 ? 2 : 1, whole, out);
        break;
      case Tok::kSecond:
      case Tok::kSecond2:
        AppendNumber(second, t.kind == Tok::kSecond2 ? 2 : 1, whole, out);
        break;
      case Tok::kSubSecond: {
        out.push_back(u'.');
        std::int64_t digits = subsecond;
        for (int i = t.arg; i < s.subsecond_digits; ++i) digits /= 10;
        AppendNumber(digits, t.arg, single, out);
        break;
      }
      case Tok::kAmPm:
        out.append(AmPmText(static_cast<Locale>(t.arg), hour >= 12));
        break;
      case Tok::kAP:
        out.push_back(code.literal[t.start + (hour >= 12 ? 1 : 0)]);
        break;
      case Tok::kElapsedHours:
        AppendNumber(total_seconds / 3600, t.arg, whole, out);
        break;
      case Tok::kElapsedMinutes:
        AppendNumber(elapsed_hours ? total_seconds / 60 % 60 : total_seconds / 60, t.arg, whole,
                     out);
        break;
      case Tok::kElapsedSeconds:
        AppendNumber(elapsed_hours || elapsed_minutes ? total_seconds % 60 : total_seconds, t.arg,
                     whole, out);
        break;
      default:
        break;
    }
  }
  if (s.numerals != 0) ApplyNumerals(s.locale, s.numerals, true, out, from);
}

}  // namespace brintova::numfmt::internal
