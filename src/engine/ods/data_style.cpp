// Translating OpenDocument data styles into number-format codes: one section per data style,
// style:map conditions on zero turned into the positive;negative;zero;text sections, anything
// no code can say left to the text the file stored.
#include "engine/ods/data_style.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace brintova::engine::ods {

namespace {

void AppendTimes(std::u16string& code, char16_t c, int count) {
  code.append(static_cast<std::size_t>(std::max(count, 0)), c);
}

void AppendDecimals(std::u16string& code, const DataPart& part) {
  const int places = std::max(part.decimal_places, 0);
  if (places == 0) return;
  const int required =
      part.min_decimal_places < 0 ? places : std::min(part.min_decimal_places, places);
  code.push_back(u'.');
  AppendTimes(code, u'0', required);
  AppendTimes(code, u'#', places - required);
}

// "0.00", "#,##0", "000\"-\"0000"; false when no code expresses the part.
bool AppendNumber(std::u16string& code, const DataPart& part) {
  if (part.decimal_replacement) return false;
  int scaling = 0;
  for (double factor = part.display_factor; factor > 1.5; factor /= 1000) {
    if (std::fabs(std::fmod(factor, 1000)) > 1e-9) return false;
    ++scaling;
  }
  if (part.display_factor < 1 - 1e-9) return false;
  if (part.decimal_places < 0 && part.embedded.empty() && scaling == 0) {
    code += u"General";  // no decimal places given: the standard format
    return true;
  }
  if (part.grouping && !part.embedded.empty()) return false;
  const int required = std::max(part.min_integer_digits, 0);
  int width = std::max(required, 1);
  if (part.grouping) width = std::max(width, 4);
  for (const EmbeddedText& e : part.embedded) {
    if (e.position < 0 || e.position > 64) return false;
    width = std::max(width, e.position);
  }
  // Built from the right: digit k has k digits to its right.
  std::u16string integer;
  for (int k = 0; k < width; ++k) {
    for (auto it = part.embedded.rbegin(); it != part.embedded.rend(); ++it) {
      if (it->position == k) {
        std::u16string quoted;
        AppendQuoted(quoted, it->text);
        integer.insert(0, quoted);
      }
    }
    if (part.grouping && k == 3) integer.insert(0, 1, u',');
    integer.insert(0, 1, k < required ? u'0' : u'#');
  }
  for (const EmbeddedText& e : part.embedded) {
    if (e.position == width) {
      std::u16string quoted;
      AppendQuoted(quoted, e.text);
      integer.insert(0, quoted);
    }
  }
  code += integer;
  AppendDecimals(code, part);
  AppendTimes(code, u',', scaling);
  return true;
}

void AppendScientific(std::u16string& code, const DataPart& part) {
  if (part.exponent_interval > 1) {
    AppendTimes(code, u'#', part.exponent_interval - 1);
    code.push_back(u'0');
  } else {
    AppendTimes(code, u'0', std::max(part.min_integer_digits, 1));
  }
  AppendDecimals(code, part);
  code += u"E+";
  AppendTimes(code, u'0', part.min_exponent_digits < 0 ? 2 : std::max(part.min_exponent_digits, 1));
}

void AppendFraction(std::u16string& code, const DataPart& part) {
  if (part.min_integer_digits >= 0) {
    if (part.min_integer_digits == 0) {
      code.push_back(u'#');
    } else {
      AppendTimes(code, u'0', part.min_integer_digits);
    }
    code.push_back(u' ');
  }
  AppendTimes(code, u'?', std::max(part.min_numerator_digits, 1));
  code.push_back(u'/');
  if (part.denominator_value > 0) {
    for (char c : std::to_string(part.denominator_value)) code.push_back(static_cast<char16_t>(c));
  } else {
    AppendTimes(code, u'?', std::max(part.min_denominator_digits, 1));
  }
}

// One section: the style's parts in order, its maps left aside. False when a part has no code.
bool AppendSection(std::u16string& code, const DataStyle& style) {
  if (style.non_gregorian) return false;
  bool elapsed_pending = !style.truncate_on_overflow;
  // Elapsed time brackets the first of hours, minutes and seconds: "[h]:mm".
  for (const DataPart& part : style.parts) {
    switch (part.kind) {
      case PartKind::kText:
        if (style.kind == DataStyleKind::kPercentage) {
          // The percent sign of a percentage style scales the value; the rest is literal.
          std::u16string_view rest = part.text;
          for (std::size_t at; (at = rest.find(u'%')) != std::u16string_view::npos;) {
            AppendQuoted(code, rest.substr(0, at));
            code.push_back(u'%');
            rest.remove_prefix(at + 1);
          }
          AppendQuoted(code, rest);
        } else {
          AppendQuoted(code, part.text);
        }
        break;
      case PartKind::kCurrencySymbol:
        AppendQuoted(code, part.text);
        break;
      case PartKind::kNumber:
        if (!AppendNumber(code, part)) return false;
        break;
      case PartKind::kScientific:
        AppendScientific(code, part);
        break;
      case PartKind::kFraction:
        AppendFraction(code, part);
        break;
      case PartKind::kDay:
        code += part.long_form ? u"dd" : u"d";
        break;
      case PartKind::kMonth:
        code +=
            part.textual ? (part.long_form ? u"mmmm" : u"mmm") : (part.long_form ? u"mm" : u"m");
        break;
      case PartKind::kYear:
        code += part.long_form ? u"yyyy" : u"yy";
        break;
      case PartKind::kDayOfWeek:
        code += part.long_form ? u"dddd" : u"ddd";
        break;
      case PartKind::kHours:
      case PartKind::kMinutes:
      case PartKind::kSeconds: {
        const char16_t letter = part.kind == PartKind::kHours     ? u'h'
                                : part.kind == PartKind::kMinutes ? u'm'
                                                                  : u's';
        if (elapsed_pending) code.push_back(u'[');
        code.push_back(letter);
        if (part.long_form) code.push_back(letter);
        if (elapsed_pending) code.push_back(u']');
        elapsed_pending = false;
        if (part.kind == PartKind::kSeconds && part.decimal_places > 0) {
          code.push_back(u'.');
          AppendTimes(code, u'0', std::min(part.decimal_places, 3));
        }
        break;
      }
      case PartKind::kAmPm:
        code += u"AM/PM";
        break;
      case PartKind::kTextContent:
        code.push_back(u'@');
        break;
      case PartKind::kFill:
        if (!part.text.empty()) {
          code.push_back(u'*');
          code.push_back(part.text[0]);
        }
        break;
      case PartKind::kBoolean:
      case PartKind::kUnsupported:
        return false;
    }
  }
  return true;
}

struct Condition {
  std::string_view op;
  double value = 0;
};

// "value()>=0" -> {">=", 0}; nullopt for anything else.
std::optional<Condition> ParseCondition(std::string_view text) {
  std::string compact;
  for (char c : text) {
    if (c != ' ') compact.push_back(c);
  }
  std::string_view rest = compact;
  if (!rest.starts_with("value()")) return std::nullopt;
  rest.remove_prefix(7);
  static constexpr std::string_view kOps[] = {">=", "<=", "!=", "<>", ">", "<", "="};
  for (std::string_view op : kOps) {
    if (!rest.starts_with(op)) continue;
    rest.remove_prefix(op.size());
    Condition condition{op, 0};
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), condition.value);
    if (ec != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
    return condition;
  }
  return std::nullopt;
}

bool Holds(const Condition& c, double v) {
  if (c.op == ">=") return v >= c.value;
  if (c.op == "<=") return v <= c.value;
  if (c.op == ">") return v > c.value;
  if (c.op == "<") return v < c.value;
  if (c.op == "=") return v == c.value;
  return v != c.value;  // "!=" and "<>"
}

}  // namespace

void AppendQuoted(std::u16string& code, std::u16string_view text) {
  bool open = false;
  for (char16_t c : text) {
    if (c == u'"') {
      if (open) code.push_back(u'"');
      open = false;
      code += u"\\\"";
      continue;
    }
    if (!open) code.push_back(u'"');
    open = true;
    code.push_back(c);
  }
  if (open) code.push_back(u'"');
}

Translation TranslateDataStyle(const DataStyle& style, const DataStyleLookup& lookup) {
  Translation result;
  for (const DataPart& part : style.parts) {
    if (part.kind == PartKind::kBoolean) {
      result.kind = Translation::Kind::kBoolean;
      return result;
    }
  }
  std::u16string main;
  if (!AppendSection(main, style)) return result;
  if (style.maps.empty()) {
    result.kind = Translation::Kind::kCode;
    result.code = main;
    return result;
  }

  // Each map gives the sections of the values its condition holds for, in order; values no map
  // takes show through the style itself.
  std::vector<std::pair<Condition, std::u16string>> sections;
  for (const StyleMap& map : style.maps) {
    const auto condition = ParseCondition(map.condition);
    const DataStyle* target = lookup(map.apply_name);
    std::u16string code;
    if (!condition || target == nullptr || !AppendSection(code, *target)) return result;
    sections.emplace_back(*condition, std::move(code));
  }
  const bool text_main = style.kind == DataStyleKind::kText;
  bool against_zero = true;
  for (const auto& [condition, code] : sections) against_zero &= condition.value == 0;

  if (against_zero) {
    // Which section a positive, a negative and a zero value take.
    const std::u16string fallback = text_main ? u"General" : main;
    std::u16string by_sign[3];  // positive, negative, zero
    const double probes[3] = {1, -1, 0};
    for (int i = 0; i < 3; ++i) {
      by_sign[i] = fallback;
      for (const auto& [condition, code] : sections) {
        if (Holds(condition, probes[i])) {
          by_sign[i] = code;
          break;
        }
      }
    }
    std::u16string code = by_sign[0];
    if (text_main || by_sign[0] != by_sign[1] || by_sign[0] != by_sign[2]) {
      code += u";" + by_sign[1];
      if (text_main || by_sign[2] != by_sign[0]) code += u";" + by_sign[2];
    }
    if (text_main) code += u";" + main;
    result.kind = Translation::Kind::kCode;
    result.code = std::move(code);
    return result;
  }
  // Other thresholds: conditional sections, at most two, then the style itself.
  if (sections.size() > 2 || text_main) return result;
  std::u16string code;
  for (const auto& [condition, section] : sections) {
    std::string bracket = "[" + std::string(condition.op == "!=" ? "<>" : condition.op);
    char number[32];
    const auto [end, ec] = std::to_chars(number, number + sizeof number, condition.value);
    if (ec != std::errc()) return result;
    bracket.append(number, end);
    bracket += "]";
    for (char c : bracket) code.push_back(static_cast<char16_t>(c));
    code += section + u";";
  }
  code += main;
  result.kind = Translation::Kind::kCode;
  result.code = std::move(code);
  return result;
}

}  // namespace brintova::engine::ods
