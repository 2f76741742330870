// Occurrence search and case folding for the marker rules.
#include "extract/marker_search.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace brintova::ExcelExtract {

namespace {

std::optional<TextSpan> FindIn(std::u16string_view text, std::u16string_view marker,
                               std::int32_t occurrence) {
  if (marker.empty() || occurrence == 0 || marker.size() > text.size()) return std::nullopt;
  if (occurrence > 0) {
    std::size_t from = 0;
    for (std::int32_t n = 1;; ++n) {
      const std::size_t at = text.find(marker, from);
      if (at == std::u16string_view::npos) return std::nullopt;
      if (n == occurrence) return TextSpan{at, at + marker.size()};
      from = at + marker.size();
    }
  }
  // From the end: the next occurrence must end at or before the start of the one found last.
  std::size_t limit = text.size();  // occurrences lie inside [0, limit)
  for (std::int32_t n = -1;; --n) {
    if (limit < marker.size()) return std::nullopt;
    const std::size_t at = text.rfind(marker, limit - marker.size());
    if (at == std::u16string_view::npos) return std::nullopt;
    if (n == occurrence) return TextSpan{at, at + marker.size()};
    limit = at;
  }
}

}  // namespace

std::u16string FoldCase(std::u16string_view text) {
  std::u16string folded(text);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    UChar32 c = 0;
    U16_NEXT(text.data(), i, text.size(), c);
    const UChar32 f = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    // Simple folding keeps the length in code units; a code point that would not is kept.
    if (f != c && U16_LENGTH(f) == static_cast<std::int32_t>(i - start)) {
      std::size_t out = start;
      U16_APPEND_UNSAFE(folded.data(), out, f);
    }
  }
  return folded;
}

std::optional<TextSpan> FindMarker(std::u16string_view text, std::u16string_view marker,
                                   const MarkerOptions& options) {
  if (!options.ignore_case) return FindIn(text, marker, options.occurrence);
  return FindIn(FoldCase(text), FoldCase(marker), options.occurrence);
}

std::optional<CellResult> AfterMarkerRule(std::u16string_view text, std::u16string_view marker,
                                          const MarkerOptions& options) {
  const std::optional<TextSpan> found = FindMarker(text, marker, options);
  if (!found) return std::nullopt;
  return CellResult{std::u16string(text.substr(found->end))};
}

std::optional<CellResult> BeforeMarkerRule(std::u16string_view text, std::u16string_view marker,
                                           const MarkerOptions& options) {
  const std::optional<TextSpan> found = FindMarker(text, marker, options);
  if (!found) return std::nullopt;
  return CellResult{std::u16string(text.substr(0, found->begin))};
}

std::optional<CellResult> BetweenMarkersRule(std::u16string_view text, std::u16string_view after,
                                             std::u16string_view before,
                                             const MarkerOptions& options) {
  std::u16string folded_text, folded_after, folded_before;
  std::u16string_view haystack = text, opening_marker = after, closing = before;
  if (options.ignore_case) {
    folded_text = FoldCase(text);
    folded_after = FoldCase(after);
    folded_before = FoldCase(before);
    haystack = folded_text;
    opening_marker = folded_after;
    closing = folded_before;
  }
  const std::optional<TextSpan> opening = FindIn(haystack, opening_marker, options.occurrence);
  if (!opening || closing.empty()) return std::nullopt;
  const std::size_t end = haystack.find(closing, opening->end);
  if (end == std::u16string_view::npos) return std::nullopt;
  return CellResult{std::u16string(text.substr(opening->end, end - opening->end))};
}

}  // namespace brintova::ExcelExtract
