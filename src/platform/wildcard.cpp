// Wildcard matching and listing order for file names.
#include "platform/wildcard.h"

#include <algorithm>

namespace brintova {

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  // Latin Extended-A pairs capital/small, except the dotless i and the odd run 0x139..0x148.
  if (c >= 0x100 && c <= 0x137 && c != 0x131) return static_cast<char16_t>(c & ~1u);
  if (c >= 0x139 && c <= 0x148) return (c & 1u) ? c : static_cast<char16_t>(c - 1);
  if (c >= 0x14A && c <= 0x177) return static_cast<char16_t>(c & ~1u);
  if (c == 0x17A || c == 0x17C || c == 0x17E) return static_cast<char16_t>(c - 1);
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name) {
  if (pattern.empty() || pattern == u"*" || pattern == u"*.*") return true;
  // Greedy matching that backtracks only to the last "*": linear in practice, never exponential.
  std::size_t p = 0, n = 0;
  std::size_t star = std::u16string_view::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      star_n = n;
    } else if (p < pattern.size() &&
               (pattern[p] == u'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool ListingOrderLess(std::u16string_view a, std::u16string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t fa = FoldCase(a[i]), fb = FoldCase(b[i]);
    if (fa != fb) return fa < fb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace brintova
