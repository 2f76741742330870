// Reading delimited text files into the workbook model.
#include "engine/text/text_workbook_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "engine/text/delimited_text.h"
#include "engine/text/text_decoding.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::textfile {

namespace {

constexpr std::size_t kMaxSheetName = 31;

std::u16string_view FileNameOf(std::u16string_view path) {
  const auto slash = path.find_last_of(u'/');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

// Cuts to at most `limit` code units without splitting a surrogate pair.
std::u16string_view CutText(std::u16string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t n = limit;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return text.substr(0, n);
}

}  // namespace

std::u16string SheetNameForFile(std::u16string_view path) {
  std::u16string_view name = FileNameOf(path);
  const auto dot = name.find_last_of(u'.');
  if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
  std::u16string result(CutText(name, kMaxSheetName));
  for (char16_t& c : result) {
    if (c == u'[' || c == u']' || c == u':' || c == u'*' || c == u'?' || c == u'/' || c == u'\\') {
      c = u'_';
    }
  }
  if (!result.empty() && result.front() == u'\'') result.front() = u'_';
  if (!result.empty() && result.back() == u'\'') result.back() = u'_';
  return result.empty() ? std::u16string(u"Sheet1") : result;
}

std::unique_ptr<model::Workbook> ReadTextWorkbookFromBytes(std::string_view bytes,
                                                           std::u16string_view path,
                                                           const TextLimits& limits) {
  auto book = std::make_unique<model::Workbook>();
  const bool txt = LowerCaseExtension(path) == u".txt";
  book->source().path = std::u16string(path);
  book->source().kind = txt ? model::SourceKind::kTxt : model::SourceKind::kCsv;
  book->styles().MarkOriginal();
  model::Sheet& sheet = book->AddSheet(SheetNameForFile(path), model::SheetKind::kWorksheet);

  const DecodedText decoded = DecodeTextBytes(bytes);
  std::u16string_view text = decoded.text;
  bool skip_first_line = false;
  const char16_t separator = DetectSeparator(text, txt ? u'\t' : u',', &skip_first_line);
  if (skip_first_line) {
    std::size_t i = 0;
    while (i < text.size() && text[i] != u'\n' && text[i] != u'\r') ++i;
    if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
    text = text.substr(std::min(i + 1, text.size()));
  }

  model::StyleTable& styles = book->styles();
  std::uint64_t fields_past_last_column = 0;
  std::uint64_t cells = 0;
  const std::int64_t records = ParseDelimitedText(
      text, separator, [&](std::int64_t row, std::int64_t column, std::u16string_view field) {
        // The application loads no more than its grid holds; the rest is counted and reported.
        if (row > model::kMaxRows) return;
        if (column > model::kMaxColumns) {
          ++fields_past_last_column;
          return;
        }
        if (++cells > limits.max_cells) {
          throw Failure("Cannot open " + ToUtf8(path) + ": the file holds more than " +
                        GroupedDecimal(limits.max_cells) +
                        " cells, the most this program reads for one workbook");
        }
        const auto r = static_cast<std::int32_t>(row);
        const auto c = static_cast<std::int32_t>(column);
        const FieldValue value = ClassifyField(field);
        switch (value.kind) {
          case FieldKind::kNumber: {
            const std::uint32_t style =
                value.format.empty() ? 0 : styles.StyleWithFormat(0, value.format);
            sheet.Append(r, model::Cell::Number(c, value.number, style));
            break;
          }
          case FieldKind::kBoolean:
            sheet.Append(r, model::Cell::Boolean(c, value.boolean, 0));
            break;
          case FieldKind::kText:
            sheet.Append(r, model::Cell::OwnedString(
                                c, sheet.strings().Add(CutText(field, model::kMaxCellText)), 0));
            break;
        }
      });
  const std::int64_t rows_past_last_row = std::max<std::int64_t>(records - model::kMaxRows, 0);
  if (rows_past_last_row > 0 || fields_past_last_column > 0) {
    std::string left_out;
    if (rows_past_last_row > 0) {
      left_out = GroupedDecimal(static_cast<std::uint64_t>(rows_past_last_row)) +
                 (rows_past_last_row == 1 ? " row" : " rows") + " after row " +
                 GroupedDecimal(model::kMaxRows);
    }
    if (fields_past_last_column > 0) {
      if (!left_out.empty()) left_out += " and ";
      left_out += GroupedDecimal(fields_past_last_column) +
                  (fields_past_last_column == 1 ? " field" : " fields") +
                  " after column XFD (the " + GroupedDecimal(model::kMaxColumns) + "th)";
    }
    book->load_failures().push_back(
        ToUtf16("Not all of " + ToUtf8(path) + " fits on a worksheet: " + left_out +
                " did not fit and were left out; the cells that fit were read."));
  }
  return book;
}

std::unique_ptr<model::Workbook> ReadTextWorkbook(std::u16string_view path,
                                                  const TextLimits& limits) {
  const std::string native = NativePathFromText(path);
  std::ifstream file(native, std::ios::binary);
  if (!file) {
    throw Failure("Cannot open " + ToUtf8(path) + ": the file cannot be read");
  }
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  file.seekg(0);
  if (size > 0 && static_cast<std::uint64_t>(size) > limits.max_bytes) {
    throw Failure("Cannot open " + ToUtf8(path) + ": the file is larger than " +
                  GroupedDecimal(limits.max_bytes >> 20) +
                  " MB, the most this program reads for one text file");
  }
  std::string bytes;
  if (size > 0) bytes.reserve(static_cast<std::size_t>(size));
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (file.bad()) {
    throw Failure("Cannot open " + ToUtf8(path) + ": reading the file failed");
  }
  return ReadTextWorkbookFromBytes(bytes, path, limits);
}

}  // namespace brintova::engine::textfile
