// The workbook part (xl/workbook.xml): the sheet list in tab order, the date system and the
// defined names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/workbook.h"

namespace brintova::engine::package {

class ZipReader;

struct SheetEntry {
  std::u16string name;
  std::uint32_t sheet_id = 0;
  std::string relationship_id;
  model::Visibility visibility = model::Visibility::kVisible;
};

struct WorkbookPart {
  bool date1904 = false;
  std::vector<SheetEntry> sheets;
  std::vector<model::DefinedName> names;
};

// Throws ReadError when the part is missing or not valid XML.
WorkbookPart ReadWorkbookPart(const ZipReader& zip, std::string_view part_name);

// "1", "true" (any case) -> true; "0", "false", anything else -> false.
bool XmlBoolean(const char* value);

}  // namespace brintova::engine::package
