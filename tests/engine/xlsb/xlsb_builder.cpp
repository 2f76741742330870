// Building .xlsb records and packages for the tests.
#include "xlsb_builder.h"

#include <cstring>

namespace brintova::engine::testing {

std::string U16(std::uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string U32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return bytes;
}

std::string F64(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  return bytes;
}

std::string Wide(std::u16string_view text) {
  std::string bytes = U32(static_cast<std::uint32_t>(text.size()));
  for (char16_t c : text) bytes += U16(c);
  return bytes;
}

std::string Record(std::uint32_t type, std::string_view body) {
  std::string bytes;
  if (type < 0x80) {
    bytes.push_back(static_cast<char>(type));
  } else {
    bytes.push_back(static_cast<char>((type & 0x7F) | 0x80));
    bytes.push_back(static_cast<char>((type >> 7) & 0x7F));
  }
  std::uint32_t size = static_cast<std::uint32_t>(body.size());
  do {
    const auto low = static_cast<unsigned char>(size & 0x7F);
    size >>= 7;
    bytes.push_back(static_cast<char>(size ? (low | 0x80) : low));
  } while (size != 0);
  bytes.append(body);
  return bytes;
}

std::string CellHeader(std::uint32_t column, std::uint32_t style) {
  return U32(column) + U32(style & 0xFFFFFF);
}

std::string RowHeader(std::uint32_t row) {
  return Record(0, U32(row) + U32(0) + U16(0x115) + std::string(3, '\0') + U32(0));
}

Entries XlsbPackage(const std::string& sheet, const std::string& styles, const std::string& strings,
                    const std::string& workbook) {
  const std::string rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  std::string workbook_rels =
      R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type=")" +
      rels + R"(/worksheet" Target="worksheets/sheet1.bin"/>)";
  if (!styles.empty()) {
    workbook_rels +=
        R"(<Relationship Id="rId2" Type=")" + rels + R"(/styles" Target="styles.bin"/>)";
  }
  if (!strings.empty()) {
    workbook_rels += R"(<Relationship Id="rId3" Type=")" + rels +
                     R"(/sharedStrings" Target="sharedStrings.bin"/>)";
  }
  workbook_rels += "</Relationships>";
  const std::string book = !workbook.empty()
                               ? workbook
                               : Record(131, "") + Record(153, U32(0) + U32(0) + Wide(u"")) +
                                     Record(143, "") +
                                     Record(156, U32(0) + U32(1) + Wide(u"rId1") + Wide(u"Data")) +
                                     Record(144, "") + Record(132, "");
  Entries entries = {
      {"[Content_Types].xml",
       R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
       R"(<Default Extension="bin" ContentType="application/vnd.ms-excel.sheet.binary.macroEnabled.main"/>)"
       R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/></Types>)"},
      {"_rels/.rels",
       R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
       R"(<Relationship Id="rId1" Type=")" +
           rels + R"(/officeDocument" Target="xl/workbook.bin"/></Relationships>)"},
      {"xl/_rels/workbook.bin.rels", workbook_rels},
      {"xl/workbook.bin", book},
      {"xl/worksheets/sheet1.bin",
       Record(129, "") + Record(145, "") + sheet + Record(146, "") + Record(130, "")},
  };
  if (!styles.empty()) entries.push_back({"xl/styles.bin", styles});
  if (!strings.empty()) entries.push_back({"xl/sharedStrings.bin", strings});
  return entries;
}

}  // namespace brintova::engine::testing
