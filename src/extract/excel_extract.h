// The eleven extraction operations of ExcelExtract and the character filter they share. Each
// operation runs the cell walk (cell_walk.h) with its own cell rule; the output mode comes from
// the window's option buttons, so every operation takes the Form first. Workbooks are passed as
// pointers: null is an unset reference (the output workbook in new-sheet mode), and using it
// fails. Text is UTF-16 code units, positions count from 1, searches compare exact codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "extract/cell_walk.h"
#include "platform/spreadsheet_server.h"
#include "platform/window.h"

namespace brintova::ExcelExtract {

inline constexpr std::u16string_view kAlphabetSet =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
inline constexpr std::u16string_view kNumberSet = u"0123456789";
inline constexpr std::u16string_view kAlphanumericSet =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// The alphanumeric set with space, CR, LF and tab: operation 3 keeps what is not in it.
inline constexpr std::u16string_view kNonAlphanumericSet =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 \r\n\t";

// The characters of `text`, in order, that are members of `set` (keep_members) or that are not.
std::u16string FilterCharacters(std::u16string_view text, std::u16string_view set,
                                bool keep_members);

// The cell rules, one per operation; WalkCells applies them. The number rules throw Failure
// (invalid argument) for a position they cannot start at: After x on x <= 0, the others on x < 0.
std::optional<CellResult> AfterTextRule(std::u16string_view text, std::u16string_view marker);
std::optional<CellResult> BeforeTextRule(std::u16string_view text, std::u16string_view marker);
std::optional<CellResult> FirstCharsRule(std::u16string_view text, std::int16_t x);
std::optional<CellResult> LastCharsRule(std::u16string_view text, std::int16_t x);
std::optional<CellResult> AfterPositionRule(std::u16string_view text, std::int16_t x,
                                            OutputMode mode);
std::optional<CellResult> BeforePositionRule(std::u16string_view text, std::int16_t x,
                                             OutputMode mode);

// Each throws Failure from the server or its rule; what was written before stays.
void ExtractAlphabet(Form& form, Workbook* source, Workbook* output);
void ExtractNumbers(Form& form, Workbook* source, Workbook* output);
void ExtractAlphanumeric(Form& form, Workbook* source, Workbook* output);
void ExtractNonAlphanumeric(Form& form, Workbook* source, Workbook* output);
void ExtractUserDefined(Form& form, Workbook* source, std::u16string characters, Workbook* output);
void ExtractAfterText(Form& form, Workbook* source, std::u16string marker, Workbook* output);
void ExtractBeforeText(Form& form, Workbook* source, std::u16string marker, Workbook* output);
void ExtractFirstChars(Form& form, Workbook* source, std::int16_t x, Workbook* output);
void ExtractLastChars(Form& form, Workbook* source, std::int16_t x, Workbook* output);
void ExtractAfterPosition(Form& form, Workbook* source, std::int16_t x, Workbook* output);
void ExtractBeforePosition(Form& form, Workbook* source, std::int16_t x, Workbook* output);

}  // namespace brintova::ExcelExtract
