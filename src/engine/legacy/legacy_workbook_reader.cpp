// freexl behind ReadLegacyWorkbook; every freexl status becomes a Failure naming the file.
#include "engine/legacy/legacy_workbook_reader.h"

#include <freexl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::legacy {

namespace {

class FreexlHandle {
 public:
  ~FreexlHandle() {
    if (handle_ != nullptr) freexl_close(handle_);
  }
  const void** out() { return &handle_; }
  const void* get() const { return handle_; }

 private:
  const void* handle_ = nullptr;
};

std::string Reason(int status) {
  switch (status) {
    case FREEXL_FILE_NOT_FOUND:
      return "the file cannot be read";
    case FREEXL_INSUFFICIENT_MEMORY:
      return "there is not enough memory";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
      return "it holds no workbook";
    case FREEXL_UNSUPPORTED_CHARSET:
      return "its character set is not supported";
    default:
      return "the file is damaged (freexl status " + std::to_string(status) + ")";
  }
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, int* value) {
  if (at + count > text.size()) return false;
  *value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

// Days from 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// Every Excel 97-2003 workbook is an OLE compound file, which begins with this signature. freexl
// reports a file too short to hold the compound file header as a read error, so a short text file
// named .xls is recognised here instead.
bool BeginsLikeCompoundFile(const std::string& native) {
  static constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  unsigned char head[8] = {};
  std::FILE* f = std::fopen(native.c_str(), "rb");
  if (f == nullptr) return true;  // let freexl report why it cannot be read
  const std::size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return got == sizeof head && std::memcmp(head, kSignature, sizeof head) == 0;
}

}  // namespace

bool DateSerialFromText(std::string_view text, double* serial) {
  int y = 0, m = 0, d = 0;
  if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !Digits(text, 0, 4, &y) ||
      !Digits(text, 5, 2, &m) || !Digits(text, 8, 2, &d)) {
    return false;
  }
  if (y < 1900 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  long days = DaysFromCivil(y, m, d) - DaysFromCivil(1899, 12, 30);
  // Before 1 March 1900 the application's numbering is one lower (it counts 29 Feb 1900).
  if (days < 61) --days;
  *serial = static_cast<double>(days);
  return days >= 1;
}

bool TimeFractionFromText(std::string_view text, double* fraction) {
  int h = 0, m = 0, s = 0;
  if (text.size() != 8 || text[2] != ':' || text[5] != ':' || !Digits(text, 0, 2, &h) ||
      !Digits(text, 3, 2, &m) || !Digits(text, 6, 2, &s) || h > 23 || m > 59 || s > 59) {
    return false;
  }
  *fraction = (h * 3600 + m * 60 + s) / 86400.0;
  return true;
}

std::unique_ptr<model::Workbook> ReadLegacyWorkbook(std::u16string_view path) {
  const std::string native = NativePathFromText(path);
  const std::string shown = ToUtf8(path);
  if (!BeginsLikeCompoundFile(native)) {
    throw Failure("Not a workbook: " + shown + " (it is not an Excel 97-2003 workbook)");
  }
  FreexlHandle handle;
  const int status = freexl_open(native.c_str(), handle.out());
  unsigned info = 0;
  // freexl answers a workbook protected by a password with success and no handle.
  const bool encrypted = (status == FREEXL_OK && handle.get() == nullptr) ||
                         (handle.get() != nullptr &&
                          freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
                          info == FREEXL_BIFF_OBFUSCATED);
  if (encrypted) {
    throw Failure("This workbook is encrypted with a password: " + shown);
  }
  if (status == FREEXL_INVALID_CFBF_HEADER || status == FREEXL_CFBF_INVALID_SIGNATURE) {
    throw Failure("Not a workbook: " + shown + " (it is not an Excel 97-2003 workbook)");
  }
  if (status != FREEXL_OK) throw Failure("Cannot open " + shown + ": " + Reason(status));

  auto book = std::make_unique<model::Workbook>();
  std::u16string ending(path.substr(path.size() >= 4 ? path.size() - 4 : 0));
  for (char16_t& c : ending) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  const bool template_file = ending == u".xlt";
  book->source().path = std::u16string(path);
  book->source().kind = template_file ? model::SourceKind::kXlt : model::SourceKind::kXls;
  book->styles().MarkOriginal();
  model::StyleTable& styles = book->styles();
  std::uint32_t date_style = 0, datetime_style = 0, time_style = 0;
  auto style_for = [&](std::uint32_t& style, int builtin_id) {
    if (style == 0) style = styles.StyleWithFormat(0, numfmt::BuiltinFormatCode(builtin_id));
    return style;
  };

  unsigned sheet_count = 0;
  freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheet_count);
  for (unsigned index = 0; index < sheet_count && index < 65535; ++index) {
    const auto s = static_cast<unsigned short>(index);
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle.get(), s, &name) != FREEXL_OK || name == nullptr) {
      throw Failure("Cannot open " + shown + ": the name of sheet " + std::to_string(index + 1) +
                    " cannot be read");
    }
    std::u16string sheet_name = ToUtf16(name);
    if (sheet_name.empty()) sheet_name = book->NextSheetName();
    model::Sheet& sheet = book->AddSheet(std::move(sheet_name), model::SheetKind::kWorksheet);
    unsigned rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle.get(), s) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle.get(), &rows, &columns) != FREEXL_OK) {
      throw Failure("Cannot open " + shown + ": sheet \"" + name + "\" cannot be read");
    }
    if (rows > static_cast<unsigned>(model::kMaxRows)) rows = model::kMaxRows;
    if (columns > model::kMaxColumns) columns = model::kMaxColumns;
    for (unsigned r = 0; r < rows; ++r) {
      const auto row = static_cast<std::int32_t>(r + 1);
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(handle.get(), r, c, &value) != FREEXL_OK) continue;
        const std::int32_t column = c + 1;
        double number = 0;
        switch (value.type) {
          case FREEXL_CELL_INT:
            sheet.Append(row, model::Cell::Number(column, value.value.int_value, 0));
            break;
          case FREEXL_CELL_DOUBLE:
            sheet.Append(row, model::Cell::Number(column, value.value.double_value, 0));
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
            if (value.value.text_value != nullptr && *value.value.text_value != '\0') {
              const std::u16string text = ToUtf16(value.value.text_value);
              sheet.Append(row, model::Cell::OwnedString(column, sheet.strings().Add(text), 0));
            }
            break;
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME: {
            const std::string_view text = value.value.text_value ? value.value.text_value : "";
            double fraction = 0;
            std::uint32_t style = 0;
            bool ok = false;
            if (value.type == FREEXL_CELL_TIME) {
              ok = TimeFractionFromText(text, &number);
              style = style_for(time_style, 21);
            } else if (DateSerialFromText(text, &number)) {
              ok = true;
              if (value.type == FREEXL_CELL_DATETIME && text.size() == 19 &&
                  TimeFractionFromText(text.substr(11), &fraction)) {
                number += fraction;
              }
              style = value.type == FREEXL_CELL_DATE ? style_for(date_style, 14)
                                                     : style_for(datetime_style, 22);
            }
            if (ok) {
              sheet.Append(row, model::Cell::Number(column, number, style));
            } else if (!text.empty()) {
              sheet.Append(row,
                           model::Cell::OwnedString(column, sheet.strings().Add(ToUtf16(text)), 0));
            }
            break;
          }
          default:
            break;
        }
      }
    }
  }
  if (book->SheetCount() == 0) {
    throw Failure("Cannot open " + shown + ": it holds no worksheet");
  }
  return book;
}

}  // namespace brintova::engine::legacy
