// Opening an Excel 97-2003 workbook or template (.xls, .xlt) through freexl: sheet names and
// order, cell values, dates and times as numbers with a date or time format.
#pragma once

#include <memory>
#include <string_view>

#include "engine/model/workbook.h"

namespace brintova::engine::legacy {

// Reads the file at `path`. Throws Failure when it cannot be read, is not a legacy workbook,
// or is protected by a password ("This workbook is encrypted with a password: <path>").
std::unique_ptr<model::Workbook> ReadLegacyWorkbook(std::u16string_view path);

// Days since 30 December 1899 for a date written "YYYY-MM-DD", as the application numbers
// dates (1 = 1 January 1900, 60 the 29 February 1900 it believes in); false for text that is
// not such a date or a date before 1900.
bool DateSerialFromText(std::string_view text, double* serial);
// The fraction of a day for "HH:MM:SS"; false otherwise.
bool TimeFractionFromText(std::string_view text, double* fraction);

}  // namespace brintova::engine::legacy
