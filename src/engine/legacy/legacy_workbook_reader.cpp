// freexl behind ReadLegacyWorkbook, in a child process; every freexl status becomes a Failure
// naming the file.
#include "engine/legacy/legacy_workbook_reader.h"

#include <freexl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/failure.h"
#include "platform/text.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRINTOVA_ASAN 1
#include <sanitizer/common_interface_defs.h>
#endif
#endif
#ifndef BRINTOVA_ASAN
#define BRINTOVA_ASAN 0
#endif

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

namespace {

// freexl is not safe on every damaged file (a crafted string length makes it read past a buffer
// of its own), so it runs in a child process that hands the cells back through a pipe; a crash
// there becomes a failure naming the file instead of ending the program. The child writes
// records: 'F' status encrypted (a freexl failure), 'S' name (a sheet), 'N' row column kind
// number, 'T' row column text, 'E' (the end). Texts are freexl's UTF-8.
constexpr unsigned kChildSeconds = 120;

enum class NumberKind : std::uint8_t { kPlain, kDate, kDateTime, kTime };

class RecordWriter {
 public:
  explicit RecordWriter(int fd) : fd_(fd) {}
  void Byte(char c) { buffer_.push_back(c); }
  template <typename T>
  void Value(T value) {
    buffer_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void Text(std::string_view text) {
    Value(static_cast<std::uint32_t>(text.size()));
    buffer_.append(text);
    if (buffer_.size() > (1u << 16)) Flush();
  }
  void Flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
      const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ::_exit(1);
      done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
  }

 private:
  int fd_;
  std::string buffer_;
};

// Runs in the child: freexl's view of the file, as records.
void WriteRecords(const std::string& native, RecordWriter& out) {
  FreexlHandle handle;
  const int status = freexl_open(native.c_str(), handle.out());
  unsigned info = 0;
  // freexl answers a workbook protected by a password with success and no handle.
  const bool encrypted = (status == FREEXL_OK && handle.get() == nullptr) ||
                         (handle.get() != nullptr &&
                          freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
                          info == FREEXL_BIFF_OBFUSCATED);
  if (encrypted || status != FREEXL_OK) {
    out.Byte('F');
    out.Value(static_cast<std::int32_t>(status));
    out.Value(static_cast<std::uint8_t>(encrypted));
    return;
  }
  unsigned sheet_count = 0;
  freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheet_count);
  for (unsigned index = 0; index < sheet_count && index < 65535; ++index) {
    const auto s = static_cast<unsigned short>(index);
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle.get(), s, &name) != FREEXL_OK || name == nullptr) {
      out.Byte('F');
      out.Value(std::int32_t{FREEXL_BIFF_ILLEGAL_SHEET_INDEX});
      out.Value(std::uint8_t{0});
      return;
    }
    out.Byte('S');
    out.Text(name);
    unsigned rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle.get(), s) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle.get(), &rows, &columns) != FREEXL_OK) {
      out.Byte('F');
      out.Value(std::int32_t{FREEXL_BIFF_UNSELECTED_SHEET});
      out.Value(std::uint8_t{0});
      return;
    }
    if (rows > static_cast<unsigned>(model::kMaxRows)) rows = model::kMaxRows;
    if (columns > model::kMaxColumns) columns = model::kMaxColumns;
    for (unsigned r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(handle.get(), r, c, &value) != FREEXL_OK) continue;
        auto number = [&](double v, NumberKind kind) {
          out.Byte('N');
          out.Value(r);
          out.Value(c);
          out.Value(static_cast<std::uint8_t>(kind));
          out.Value(v);
        };
        auto text = [&](NumberKind kind) {
          out.Byte('T');
          out.Value(r);
          out.Value(c);
          out.Value(static_cast<std::uint8_t>(kind));
          out.Text(value.value.text_value != nullptr ? value.value.text_value : "");
        };
        switch (value.type) {
          case FREEXL_CELL_INT:
            number(value.value.int_value, NumberKind::kPlain);
            break;
          case FREEXL_CELL_DOUBLE:
            number(value.value.double_value, NumberKind::kPlain);
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
            text(NumberKind::kPlain);
            break;
          case FREEXL_CELL_DATE:
            text(NumberKind::kDate);
            break;
          case FREEXL_CELL_DATETIME:
            text(NumberKind::kDateTime);
            break;
          case FREEXL_CELL_TIME:
            text(NumberKind::kTime);
            break;
          default:
            break;
        }
      }
    }
  }
  out.Byte('E');
}

// The child's records, read whole; empty when the pipe could not be made.
struct ChildOutput {
  std::string bytes;
  bool crashed = false;
  bool timed_out = false;
};

ChildOutput RunFreexlInChild(const std::string& native, const std::string& shown) {
  int fds[2];
  if (::pipe(fds) != 0) throw Failure("Cannot open " + shown + ": " + std::strerror(errno));
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    throw Failure("Cannot open " + shown + ": " + std::strerror(errno));
  }
  if (pid == 0) {
#if BRINTOVA_ASAN
    // Under the fuzzer a crash here is freexl's and is answered in the parent; no report file.
    __sanitizer_set_death_callback(nullptr);
#endif
    ::close(fds[0]);
    RecordWriter out(fds[1]);
    // The largest legacy sheet (65,536 x 256 cells) reads in seconds; a file that keeps
    // freexl busy for minutes is looping, and the default action of SIGALRM ends the child.
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(kChildSeconds);
    WriteRecords(native, out);
    out.Flush();
    ::_exit(0);
  }
  ::close(fds[1]);
  ChildOutput result;
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.crashed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
  result.timed_out = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
  return result;
}

class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return at_ >= bytes_.size(); }
  template <typename T>
  bool Value(T& value) {
    if (bytes_.size() - at_ < sizeof value) return false;
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool Text(std::string_view& text) {
    std::uint32_t size = 0;
    if (!Value(size) || bytes_.size() - at_ < size) return false;
    text = bytes_.substr(at_, size);
    at_ += size;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::unique_ptr<model::Workbook> ReadLegacyWorkbook(std::u16string_view path) {
  const std::string native = NativePathFromText(path);
  const std::string shown = ToUtf8(path);
  if (!BeginsLikeCompoundFile(native)) {
    throw Failure("Not a workbook: " + shown + " (it is not an Excel 97-2003 workbook)");
  }
  const ChildOutput child = RunFreexlInChild(native, shown);
  const std::string damaged = "Cannot open " + shown + ": the file is damaged";

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

  RecordReader in(child.bytes);
  model::Sheet* sheet = nullptr;
  bool ended = false;
  while (!ended && !in.AtEnd()) {
    char tag = 0;
    in.Value(tag);
    if (tag == 'F') {
      std::int32_t status = 0;
      std::uint8_t encrypted = 0;
      if (!in.Value(status) || !in.Value(encrypted)) break;
      if (encrypted != 0) throw Failure("This workbook is encrypted with a password: " + shown);
      if (status == FREEXL_INVALID_CFBF_HEADER || status == FREEXL_CFBF_INVALID_SIGNATURE) {
        throw Failure("Not a workbook: " + shown + " (it is not an Excel 97-2003 workbook)");
      }
      if (status == FREEXL_BIFF_ILLEGAL_SHEET_INDEX) {
        throw Failure("Cannot open " + shown + ": the name of sheet " +
                      std::to_string(book->SheetCount() + 1) + " cannot be read");
      }
      if (status == FREEXL_BIFF_UNSELECTED_SHEET && sheet != nullptr) {
        throw Failure("Cannot open " + shown + ": sheet \"" + ToUtf8(sheet->name()) +
                      "\" cannot be read");
      }
      throw Failure("Cannot open " + shown + ": " + Reason(status));
    }
    if (tag == 'S') {
      std::string_view name;
      if (!in.Text(name)) break;
      std::u16string sheet_name = ToUtf16(name);
      if (sheet_name.empty()) sheet_name = book->NextSheetName();
      sheet = &book->AddSheet(std::move(sheet_name), model::SheetKind::kWorksheet);
      continue;
    }
    if (tag == 'E') {
      ended = true;
      break;
    }
    unsigned r = 0;
    unsigned short c = 0;
    std::uint8_t kind_byte = 0;
    if ((tag != 'N' && tag != 'T') || sheet == nullptr || !in.Value(r) || !in.Value(c) ||
        !in.Value(kind_byte) || kind_byte > static_cast<std::uint8_t>(NumberKind::kTime)) {
      break;
    }
    const auto row = static_cast<std::int32_t>(r + 1);
    const std::int32_t column = c + 1;
    const auto kind = static_cast<NumberKind>(kind_byte);
    if (tag == 'N') {
      double number = 0;
      if (!in.Value(number)) break;
      sheet->Append(row, model::Cell::Number(column, number, 0));
      continue;
    }
    std::string_view text;
    if (!in.Text(text)) break;
    double number = 0;
    double fraction = 0;
    std::uint32_t style = 0;
    bool ok = false;
    if (kind == NumberKind::kTime) {
      ok = TimeFractionFromText(text, &number);
      style = style_for(time_style, 21);
    } else if (kind != NumberKind::kPlain && DateSerialFromText(text, &number)) {
      ok = true;
      if (kind == NumberKind::kDateTime && text.size() == 19 &&
          TimeFractionFromText(text.substr(11), &fraction)) {
        number += fraction;
      }
      style = kind == NumberKind::kDate ? style_for(date_style, 14) : style_for(datetime_style, 22);
    }
    if (ok) {
      sheet->Append(row, model::Cell::Number(column, number, style));
    } else if (!text.empty()) {
      sheet->Append(row, model::Cell::OwnedString(column, sheet->strings().Add(ToUtf16(text)), 0));
    }
  }
  if (!ended) {
    throw Failure(damaged + (child.timed_out ? " (the legacy reader gave up on it after " +
                                                   std::to_string(kChildSeconds) + " seconds)"
                             : child.crashed ? " (the legacy reader stopped on it)"
                                             : ""));
  }
  if (book->SheetCount() == 0) {
    throw Failure("Cannot open " + shown + ": it holds no worksheet");
  }
  return book;
}

}  // namespace brintova::engine::legacy
