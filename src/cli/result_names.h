// Where each listed workbook's result is saved: the source's file name with the saved kind's
// extension, made unique in list order before anything runs.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brintova::cli {

// ".xlsm", ".xltx" and ".xltm" keep the source's kind, a legacy template (".xlt") becomes
// ".xltx", anything else ".xlsx". A new workbook holds no macros and is no template, so in
// new-workbook mode it is always ".xlsx". Extensions compare without regard to case.
std::u16string ResultExtension(std::u16string_view source_path, bool new_workbook);

// The source's file name (after the last "/") with its extension, if any, replaced by
// ResultExtension: "in/Book1.xls" -> "Book1.xlsx", "notes" -> "notes.xlsx".
std::u16string ResultFileName(std::u16string_view source_path, bool new_workbook);

// For a source of a kind the engine reads but does not write (".xls", ".xlt", ".xlsb", ".ods",
// ".ots"), the line that tells where its result goes: "in/Book.ods: the OpenDocument format is
// read only; the result is saved as out/Book.xlsx"; empty for any other source.
std::u16string KindChangeNote(std::u16string_view source_path, std::u16string_view result_path);

// One result path in `folder` per source, in list order. A name already given to an earlier
// source, or naming a file that `is_source` recognises as one of the sources, gets " (2)",
// " (3)", ... before its extension, the first that is free. Names are compared without regard
// to ASCII case, so the results stay apart on case-insensitive file systems too.
std::vector<std::u16string> AssignResultPaths(
    const std::vector<std::u16string>& sources, std::u16string_view folder, bool new_workbook,
    const std::function<bool(std::u16string_view path)>& is_source);

// The same rule over file names already chosen: one path in `folder` per name, in order, a name
// given to an earlier one or refused by `taken` numbered " (2)", " (3)", ... before its
// extension.
std::vector<std::u16string> AssignUniquePaths(
    const std::vector<std::u16string>& names, std::u16string_view folder,
    const std::function<bool(std::u16string_view path)>& taken);

}  // namespace brintova::cli
