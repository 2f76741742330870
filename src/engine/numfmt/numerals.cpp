// The numerals of [DBNum1]..[DBNum3] in Chinese (PRC), Japanese and Korean sections: digits read
// one by one, or whole numbers read with the units ten, hundred, thousand and the myriads.
#include <string>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

struct NumeralSystem {
  std::u16string_view digits;   // ten code units, 0..9
  std::u16string_view units;    // ten, hundred, thousand
  std::u16string_view myriads;  // 10^4, 10^8, 10^12, 10^16
  bool with_units = true;       // false: every digit alone, as in a year
  bool keep_one = true;         // false: 十, 百, 千 without a leading 一
  bool zero_in_gaps = false;    // a run of zeros inside the number reads as one 零
};

// What a run of zeros inside a Chinese number reads as ("一千零五"; a lone zero is the digit).
constexpr char16_t kGapZero = u'零';

constexpr std::u16string_view kFullWidthDigits = u"０１２３４５６７８９";

// [DBNum1], [DBNum2], [DBNum3] of each language.
constexpr NumeralSystem kChinese[] = {
    {u"○一二三四五六七八九", u"十百千", u"万亿兆京", true, true, true},
    {u"零壹贰叁肆伍陆柒捌玖", u"拾佰仟", u"万亿兆京", true, true, true},
    {kFullWidthDigits, u"十百千", u"万亿兆京", true, true, true},
};
constexpr NumeralSystem kJapanese[] = {
    {u"〇一二三四五六七八九", u"十百千", u"万億兆京", true, false, false},
    {u"〇壱弐参四伍六七八九", u"拾百阡", u"萬億兆京", true, true, false},
    {kFullWidthDigits, u"", u"", false, true, false},
};
constexpr NumeralSystem kKorean[] = {
    {u"零一二三四五六七八九", u"十百千", u"萬億兆京", true, false, false},
    {u"零壹貳參四伍六七八九", u"拾百阡", u"萬億兆京", true, true, false},
    {kFullWidthDigits, u"十百千", u"萬億兆京", true, true, false},
};

// Past 10^20 there are no more myriads to read with: such numbers are read digit by digit.
constexpr int kMaxUnitDigits = 20;

const NumeralSystem* SystemFor(Locale locale, int numerals) {
  if (numerals < 1 || numerals > 3) return nullptr;
  switch (locale) {
    case Locale::kChinese:
      return &kChinese[numerals - 1];
    case Locale::kJapanese:
      return &kJapanese[numerals - 1];
    case Locale::kKorean:
      return &kKorean[numerals - 1];
    case Locale::kDefault:
      break;
  }
  return nullptr;
}

bool IsWhole(char16_t c) { return c >= kWholeDigit && c <= kWholeDigit + 9; }
bool IsSingle(char16_t c) { return c >= kSingleDigit && c <= kSingleDigit + 9; }

// A whole number, most significant digit first, read with units.
void AppendWithUnits(const NumeralSystem& ns, const char* digits, int count, bool date,
                     std::u16string& out) {
  const std::size_t begin = out.size();
  bool pending_zero = false;
  bool group_has_digit = false;
  for (int i = 0; i < count; ++i) {
    const int d = digits[i] - '0';
    const int place = count - 1 - i;  // 0 = units
    if (d == 0) {
      pending_zero = pending_zero || out.size() > begin;
    } else {
      if (pending_zero && ns.zero_in_gaps) out.push_back(kGapZero);
      pending_zero = false;
      const int small = place % 4;
      if (d != 1 || small == 0 || ns.keep_one) {
        out.push_back(ns.digits[static_cast<std::size_t>(d)]);
      }
      if (small > 0) out.push_back(ns.units[static_cast<std::size_t>(small - 1)]);
      group_has_digit = true;
    }
    if (place % 4 == 0 && place > 0) {
      if (group_has_digit) out.push_back(ns.myriads[static_cast<std::size_t>(place / 4 - 1)]);
      group_has_digit = false;
    }
  }
  // A date reads 10 to 19 as 十, 十一, ... even where a number keeps its 一.
  if (date && count == 2 && digits[0] == '1' && ns.keep_one && out.size() > begin + 1 &&
      out[begin] == ns.digits[1] && out[begin + 1] == ns.units[0]) {
    out.erase(begin, 1);
  }
}

// Converts out[from..] in place; `run` collects the digits of one whole number.
void Convert(const NumeralSystem& ns, bool date, std::u16string& out, std::size_t from) {
  std::u16string result;
  result.reserve(out.size() - from);
  char run[400];
  int run_length = 0;
  auto flush = [&] {
    if (run_length == 0) return;
    int zeros = 0;
    while (zeros < run_length - 1 && run[zeros] == '0') ++zeros;
    const bool units = ns.with_units && run_length - zeros <= kMaxUnitDigits;
    if (!units) {
      for (int i = 0; i < run_length; ++i) {
        result.push_back(ns.digits[static_cast<std::size_t>(run[i] - '0')]);
      }
    } else {
      // Leading zeros that placeholders asked for are read one by one.
      for (int i = 0; i < zeros; ++i) result.push_back(ns.digits[0]);
      if (run_length - zeros == 1 && run[zeros] == '0') {
        result.push_back(ns.digits[0]);
      } else {
        AppendWithUnits(ns, run + zeros, run_length - zeros, date, result);
      }
    }
    run_length = 0;
  };
  for (std::size_t i = from; i < out.size(); ++i) {
    const char16_t c = out[i];
    if (IsWhole(c)) {
      if (run_length < static_cast<int>(sizeof run)) {
        run[run_length++] = static_cast<char>('0' + (c - kWholeDigit));
      }
      continue;
    }
    if (c == kGroupMark) {
      // Units carry the grouping; digits read alone keep the separator.
      if (!ns.with_units) {
        flush();
        result.push_back(u',');
      }
      continue;
    }
    flush();
    if (IsSingle(c)) {
      result.push_back(ns.digits[static_cast<std::size_t>(c - kSingleDigit)]);
    } else {
      result.push_back(c);
    }
  }
  flush();
  out.replace(from, std::u16string::npos, result);
}

// Without numerals of its own the locale shows plain digits.
void Plain(std::u16string& out, std::size_t from) {
  for (std::size_t i = from; i < out.size(); ++i) {
    char16_t& c = out[i];
    if (IsWhole(c)) {
      c = static_cast<char16_t>(u'0' + (c - kWholeDigit));
    } else if (IsSingle(c)) {
      c = static_cast<char16_t>(u'0' + (c - kSingleDigit));
    } else if (c == kGroupMark) {
      c = u',';
    }
  }
}

}  // namespace

void ApplyNumerals(Locale locale, int numerals, bool date, std::u16string& out, std::size_t from) {
  const NumeralSystem* ns = SystemFor(locale, numerals);
  if (ns == nullptr) {
    Plain(out, from);
  } else {
    Convert(*ns, date, out, from);
  }
}

}  // namespace brintova::numfmt::internal
