// Building zip packages for the reader tests with libzip, through a temporary file.
#include "test_package.h"

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace brintova::engine::testing {

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string MakeZip(const Entries& entries, int level) {
  char name[] = "/tmp/engine_test_zipXXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp");
  close(fd);
  int error = 0;
  zip_t* archive = zip_open(name, ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("zip_open");
  for (const auto& [path, data] : entries) {
    zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
    const zip_int64_t index = zip_file_add(archive, path.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) throw std::runtime_error("zip_file_add");
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                             static_cast<zip_uint32_t>(level));
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip_close");
  std::string bytes = ReadFileBytes(name);
  std::remove(name);
  return bytes;
}

namespace {
const char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kRel[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
}  // namespace

Entries WorkbookWithSheetPart(const std::string& sheet_part, const std::string& styles,
                              const std::string& shared_strings) {
  Entries entries;
  entries.emplace_back(
      "[Content_Types].xml",
      R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
      R"(<Default Extension="xml" ContentType="application/xml"/>)"
      R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
      R"(</Types>)");
  entries.emplace_back(
      "_rels/.rels",
      std::string(R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)") +
          R"(<Relationship Id="rId1" Type=")" + kRel +
          R"(/officeDocument" Target="xl/workbook.xml"/></Relationships>)");
  std::string rels =
      std::string(R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)") +
      R"(<Relationship Id="rId1" Type=")" + kRel + R"(/worksheet" Target="worksheets/sheet1.xml"/>)";
  if (!styles.empty()) {
    rels += std::string(R"(<Relationship Id="rId2" Type=")") + kRel +
            R"(/styles" Target="styles.xml"/>)";
  }
  if (!shared_strings.empty()) {
    rels += std::string(R"(<Relationship Id="rId3" Type=")") + kRel +
            R"(/sharedStrings" Target="sharedStrings.xml"/>)";
  }
  rels += "</Relationships>";
  entries.emplace_back("xl/_rels/workbook.xml.rels", rels);
  entries.emplace_back("xl/workbook.xml",
                       std::string(R"(<?xml version="1.0"?><workbook xmlns=")") + kMain +
                           R"(" xmlns:r=")" + kRel +
                           R"("><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)");
  entries.emplace_back("xl/worksheets/sheet1.xml", sheet_part);
  if (!styles.empty()) entries.emplace_back("xl/styles.xml", styles);
  if (!shared_strings.empty()) entries.emplace_back("xl/sharedStrings.xml", shared_strings);
  return entries;
}

Entries MinimalWorkbook(const std::string& sheet_data, const std::string& styles,
                        const std::string& shared_strings) {
  return WorkbookWithSheetPart(std::string(R"(<?xml version="1.0"?><worksheet xmlns=")") + kMain +
                                   R"("><sheetData>)" + sheet_data +
                                   "</sheetData></worksheet>",
                               styles, shared_strings);
}

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    any = true;
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field.push_back('"');
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field.push_back(c);
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      any = false;
    } else {
      field.push_back(c);
    }
  }
  if (any) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace brintova::engine::testing
