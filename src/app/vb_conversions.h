// Conversions of typed or stored text to numbers, as the window's handlers and the run read
// them: the leading number of a text, and the strict 16-bit whole number (halves to even).
#pragma once

#include <cstdint>
#include <string_view>

namespace brintova {

// The number at the start of `text`: blanks (space, tab, CR, LF) are skipped anywhere inside
// it, then an optional sign, digits with at most one decimal point, and an optional exponent
// ("e" or "d", optional sign, digits). Reading stops at the first other character; text with no
// digits there gives 0. "  12.5kg" gives 12.5, "1 000" gives 1000, "abc" gives 0.
double LeadingNumber(std::u16string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfToEven(double value);

// The whole text as a 16-bit whole number: optional blanks around one number (sign, digits,
// one decimal point, optional exponent), rounded with RoundHalfToEven.
// Throws Failure numbered kFailureTypeMismatch when the text is not one number ("", "5abc"),
// and kFailureOverflow when the rounded value lies outside -32768..32767.
std::int16_t ConvertToInt16(std::u16string_view text);

}  // namespace brintova
