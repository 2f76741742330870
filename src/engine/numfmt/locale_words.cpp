// The words dates and times use in Chinese (PRC), Japanese and Korean sections: morning and
// afternoon, weekdays, and the Japanese eras.
#include <iterator>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

constexpr std::u16string_view kAmPm[][2] = {
    {u"AM", u"PM"}, {u"上午", u"下午"}, {u"午前", u"午後"}, {u"오전", u"오후"}};

constexpr std::u16string_view kEnglishDays[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                u"Thursday", u"Friday", u"Saturday"};
constexpr std::u16string_view kChineseDays[] = {u"星期日", u"星期一", u"星期二", u"星期三",
                                                u"星期四", u"星期五", u"星期六"};
constexpr std::u16string_view kChineseShortDays[] = {u"周日", u"周一", u"周二", u"周三",
                                                     u"周四", u"周五", u"周六"};
constexpr std::u16string_view kJapaneseDays[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                                 u"木曜日", u"金曜日", u"土曜日"};
constexpr std::u16string_view kKoreanDays[] = {u"일요일", u"월요일", u"화요일", u"수요일",
                                               u"목요일", u"금요일", u"토요일"};

struct Era {
  int year, month, day;  // first day
  std::u16string_view letter, short_name, name;
};

// The eras a serial date can fall in (the calendar starts in 1900, within Meiji).
constexpr Era kEras[] = {{1868, 1, 25, u"M", u"明", u"明治"},
                         {1912, 7, 30, u"T", u"大", u"大正"},
                         {1926, 12, 25, u"S", u"昭", u"昭和"},
                         {1989, 1, 8, u"H", u"平", u"平成"},
                         {2019, 5, 1, u"R", u"令", u"令和"}};

}  // namespace

std::u16string_view AmPmText(Locale locale, bool afternoon) {
  return kAmPm[static_cast<int>(locale)][afternoon ? 1 : 0];
}

// ddd/dddd follow the language; aaa/aaaa are the CJK forms whatever ddd would be.
std::u16string_view WeekdayText(Locale locale, int weekday, bool long_form, bool cjk_token) {
  switch (locale) {
    case Locale::kChinese:
      if (long_form) return kChineseDays[weekday];
      // aaa is the bare day character, ddd the everyday abbreviation.
      return cjk_token ? kChineseDays[weekday].substr(2) : kChineseShortDays[weekday];
    case Locale::kJapanese:
      return long_form ? kJapaneseDays[weekday] : kJapaneseDays[weekday].substr(0, 1);
    case Locale::kKorean:
      return long_form ? kKoreanDays[weekday] : kKoreanDays[weekday].substr(0, 1);
    case Locale::kDefault:
      break;
  }
  return long_form ? kEnglishDays[weekday] : kEnglishDays[weekday].substr(0, 3);
}

JapaneseEra JapaneseEraOf(int year, int month, int day) {
  int index = 0;
  for (int i = 1; i < static_cast<int>(std::size(kEras)); ++i) {
    const Era& e = kEras[i];
    if (year > e.year ||
        (year == e.year && (month > e.month || (month == e.month && day >= e.day)))) {
      index = i;
    }
  }
  // The first year of an era is year 1, as the application shows it.
  return {index, year - kEras[index].year + 1};
}

std::u16string_view JapaneseEraName(int index, int letters) {
  const Era& e = kEras[index];
  return letters == 1 ? e.letter : letters == 2 ? e.short_name : e.name;
}

}  // namespace brintova::numfmt::internal
