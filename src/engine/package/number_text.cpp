#include "engine/package/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace brintova::engine::package {

std::string_view TrimXmlSpace(std::string_view s) {
  while (!s.empty() &&
         (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::optional<double> ParseNumberText(std::string_view text) {
  text = TrimXmlSpace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  // Whole numbers of up to 15 digits (shared-string indexes, dates, counts) are exact as a
  // double and read in a loop a fraction of the cost of a full conversion.
  const bool negative = !text.empty() && text.front() == '-';
  const std::string_view digits = negative ? text.substr(1) : text;
  if (!digits.empty() && digits.size() <= 15) {
    std::uint64_t whole = 0;
    std::size_t i = 0;
    while (i < digits.size() && digits[i] >= '0' && digits[i] <= '9') {
      whole = whole * 10 + static_cast<std::uint64_t>(digits[i] - '0');
      ++i;
    }
    if (i == digits.size()) {
      const auto value = static_cast<double>(whole);
      return negative ? -value : value;
    }
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) return HUGE_VAL;
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace brintova::engine::package
