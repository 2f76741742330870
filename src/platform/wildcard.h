// File-name wildcards and ordering as the desktop's own file listing applies them: "*" and "?",
// compared without regard to case.
#pragma once

#include <string_view>

namespace brintova {

// Whether `name` matches `pattern`: "*" stands for any run of characters (also none), "?" for
// exactly one, everything else for itself regardless of case. "*.*" and the empty pattern match
// every name; "*.xls" does not match "Book.xlsx".
bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name);

// The upper-case form used for comparing names: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters; other characters stand for themselves.
char16_t FoldCase(char16_t c);

// Whether `a` sorts before `b` in a listing: by the upper-case form of each character, then, for
// names equal but for case, by the characters themselves.
bool ListingOrderLess(std::u16string_view a, std::u16string_view b);

}  // namespace brintova
