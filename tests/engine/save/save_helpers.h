// What the save tests share: a fresh folder per test, the entries of a zip file, the cells of
// a sheet as displayed texts, the run's digits-only result sheet, and LibreOffice's reading of
// a saved file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/model/workbook.h"
#include "support/scratch_files.h"

namespace brintova::engine::savetest {

// The test data folder (tests/data).
std::string DataPath(const std::string& name);

using testfiles::ReadBytes;
using testfiles::ScratchFolder;
using testfiles::ZipEntries;

void CopyFile(const std::string& from, const std::string& to);

// The workbook at `path` as the engine opens it, and saved as the engine saves it.
std::unique_ptr<model::Workbook> Open(const std::string& path);
void Save(const model::Workbook& book, const std::string& path);

// The description of the failure `action` raises, or "(no failure)".
std::string FailureOf(const std::function<void()>& action);

// Names of the entries of `before` that are missing from `after` or differ in content.
std::vector<std::string> ChangedEntries(const std::map<std::string, std::string>& before,
                                        const std::map<std::string, std::string>& after);

using CellTexts = std::map<std::pair<std::int32_t, std::int32_t>, std::string>;
// Displayed text of every cell that shows one, keyed (row, column).
CellTexts SheetTexts(const model::Workbook& book, const model::Sheet& sheet);

// Inserts a first worksheet and writes into it, as a string formatted "@", the digits of each
// worksheet cell's displayed text (later sheets overwrite earlier ones, as in the run). Returns
// what it wrote.
CellTexts AddDigitsSheet(model::Workbook& book);

// The first sheet of `file` as LibreOffice shows it (converted to CSV headlessly with a private
// profile); nullopt when soffice is not installed.
std::optional<CellTexts> LibreOfficeFirstSheet(const std::string& file, const std::string& scratch);

}  // namespace brintova::engine::savetest
