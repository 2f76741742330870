// The legacy reader: finds the workbook stream in the compound file, decrypts it when it was
// saved with the default password, reads the globals (code page, date system, number formats,
// cell styles, shared strings, the sheet list) and then each sheet's substream.
#include "engine/legacy/legacy_workbook_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "engine/legacy/biff_decryption.h"
#include "engine/legacy/biff_stream.h"
#include "engine/legacy/byte_reading.h"
#include "engine/legacy/code_page.h"
#include "engine/legacy/compound_file.h"
#include "engine/legacy/sheet_substream.h"
#include "platform/text.h"

namespace brintova::engine::legacy {

namespace {

using package::ReadError;

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kFilePass = 0x002F;

struct SheetEntry {
  std::uint32_t position = 0;  // of the substream's BOF in the stream
  std::uint8_t state = 0;      // 0 visible, 1 hidden, 2 very hidden
  std::uint8_t type = 0;       // 0 worksheet, 1 macro sheet, 2 chart, 6 module
  std::u16string name;
};

bool IsOldBof(std::string_view bytes) {
  if (bytes.size() < 4) return false;
  const std::uint16_t type = ReadU16(bytes, 0);
  return type == 0x0009 || type == 0x0209 || type == 0x0409;
}

class WorkbookStreamReader {
 public:
  explicit WorkbookStreamReader(std::string_view stream) : stream_(stream) {}

  std::unique_ptr<model::Workbook> Read();

 private:
  void Globals(RecordStream& records);
  void SharedStrings(RecordStream& records, const Record& sst);
  std::u16string Text8(std::string_view bytes) const {
    std::u16string text;
    code_page_->Decode(bytes, text);
    return text;
  }
  void Sheets(std::size_t globals_end);
  std::vector<std::size_t> SubstreamStarts(std::size_t from) const;

  std::string_view stream_;
  std::unique_ptr<model::Workbook> book_ = std::make_unique<model::Workbook>();
  std::unique_ptr<CodePage> code_page_ = std::make_unique<CodePage>(1252);
  bool biff8_ = true;
  std::vector<std::uint16_t> xf_formats_;
  std::vector<SheetEntry> sheets_;
};

std::unique_ptr<model::Workbook> WorkbookStreamReader::Read() {
  RecordStream records(stream_);
  Record bof;
  if (!records.Next(bof) || bof.type != kBof) {
    throw ReadError{"the file is damaged (its workbook stream does not begin like a workbook)"};
  }
  const std::uint16_t version = ReadU16(bof.body, 0);
  biff8_ = version == 0x0600 || (version != 0x0500 && bof.body.size() >= 16);
  if (ReadU16(bof.body, 2) == 0x0010) {
    // A stream holding one worksheet and no globals, as Excel 5 wrote single sheets.
    RecordStream sheet_records(stream_);
    BiffFacts facts{biff8_, code_page_.get(), &book_->shared_strings(), 0};
    ReadSheetSubstream(sheet_records, facts,
                       &book_->AddSheet(u"Sheet1", model::SheetKind::kWorksheet));
    return std::move(book_);
  }
  Globals(records);
  Sheets(records.position());
  if (book_->SheetCount() == 0) throw ReadError{"it holds no worksheet"};
  return std::move(book_);
}

void WorkbookStreamReader::Globals(RecordStream& records) {
  model::StyleTable& styles = book_->styles();
  Record record;
  while (records.Next(record) && record.type != kEof) {
    const std::string_view b = record.body;
    switch (record.type) {
      case 0x0042:  // CODEPAGE
        if (ReadU16(b, 0) != code_page_->number())
          code_page_ = std::make_unique<CodePage>(ReadU16(b, 0));
        break;
      case 0x0022:  // DATEMODE
        book_->set_date1904(ReadU16(b, 0) != 0);
        break;
      case 0x041E: {  // FORMAT
        std::u16string code;
        if (biff8_) {
          ReadBiff8String(b, 2, 2, code);
        } else {
          code = Text8(b.substr(std::min<std::size_t>(3, b.size()), ReadU8(b, 2)));
        }
        styles.AddFormat(ReadU16(b, 0), code);
        break;
      }
      case 0x00E0:  // XF
        xf_formats_.push_back(ReadU16(b, 2));
        break;
      case 0x0085: {  // BOUNDSHEET
        SheetEntry entry{ReadU32(b, 0), ReadU8(b, 4), ReadU8(b, 5), {}};
        if (biff8_) {
          ReadBiff8String(b, 6, 1, entry.name);
        } else {
          entry.name = Text8(b.substr(std::min<std::size_t>(7, b.size()), ReadU8(b, 6)));
        }
        sheets_.push_back(std::move(entry));
        break;
      }
      case 0x00FC:  // SST
        SharedStrings(records, record);
        break;
      default:
        break;
    }
  }
  styles.ClearStyles();
  for (std::uint16_t id : xf_formats_) styles.AddStyle(styles.FormatForId(id));
  styles.MarkOriginal();
}

void WorkbookStreamReader::SharedStrings(RecordStream& records, const Record& sst) {
  // The counts at the front are not trusted: the strings are read until the data ends.
  model::StringPool& pool = book_->shared_strings();
  ContinuedReader in(records, sst.body);
  in.Skip(8);
  std::u16string text;
  while (!in.AtEnd()) {
    const std::uint16_t count = in.U16();
    const std::uint8_t flags = in.U8();
    std::size_t runs = 0, phonetic = 0;
    if (flags & 0x08) runs = in.U16();
    if (flags & 0x04) phonetic = in.U32();
    text.clear();
    in.Chars(count, (flags & 0x01) != 0, text);
    in.Skip(4 * runs + phonetic);
    if (in.failed() && text.empty()) break;
    pool.Add(text);
    if (in.failed()) break;
  }
}

std::vector<std::size_t> WorkbookStreamReader::SubstreamStarts(std::size_t from) const {
  std::vector<std::size_t> starts;
  RecordStream records(stream_);
  records.Seek(from);
  Record record;
  int depth = 0;
  while (records.Next(record)) {
    if (record.type == kBof) {
      if (depth == 0) starts.push_back(record.offset);
      ++depth;
    } else if (record.type == kEof && depth > 0) {
      --depth;
    }
  }
  return starts;
}

void WorkbookStreamReader::Sheets(std::size_t globals_end) {
  BiffFacts facts{biff8_, code_page_.get(), &book_->shared_strings(),
                  static_cast<std::uint32_t>(xf_formats_.size())};
  std::vector<std::size_t> in_order;  // found by walking the stream, when an offset is wrong
  bool walked = false;
  std::unordered_set<std::size_t> used;
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    const SheetEntry& entry = sheets_[i];
    if (entry.type == 6) continue;  // a Visual Basic module is not a sheet
    std::size_t at = entry.position;
    if (at < globals_end || at + 4 > stream_.size() || ReadU16(stream_, at) != kBof) {
      if (!walked) {
        in_order = SubstreamStarts(globals_end);
        walked = true;
      }
      at = i < in_order.size() ? in_order[i] : stream_.size();
    }
    // Each substream is read once: two entries naming the same offset do not double the cells.
    const bool fresh = at < stream_.size() && used.insert(at).second;
    model::SheetKind kind = entry.type == 2   ? model::SheetKind::kChart
                            : entry.type == 1 ? model::SheetKind::kMacro
                                              : model::SheetKind::kWorksheet;
    if (fresh && kind == model::SheetKind::kWorksheet) {
      // The substream itself may say it is a chart or a dialog sheet.
      RecordStream probe(stream_);
      probe.Seek(at);
      const SheetCells found = ReadSheetSubstream(probe, facts, nullptr);
      if (found.chart) kind = model::SheetKind::kChart;
      if (found.dialog) kind = model::SheetKind::kDialog;
    }
    // A nameless sheet is named by its place, which a file with thousands of them cannot
    // make slow.
    model::Sheet& sheet = book_->AddSheet(
        entry.name.empty() ? u"Sheet" + DecimalText(static_cast<long long>(i) + 1) : entry.name,
        kind);
    if (fresh && kind == model::SheetKind::kWorksheet) {
      RecordStream records(stream_);
      records.Seek(at);
      ReadSheetSubstream(records, facts, &sheet);
    }
    sheet.set_visibility(entry.state == 1   ? model::Visibility::kHidden
                         : entry.state == 2 ? model::Visibility::kVeryHidden
                                            : model::Visibility::kVisible);
  }
}

// Decrypts a copy of the stream when its globals carry a FILEPASS record.
std::string_view Decrypted(std::string_view stream, std::string& storage) {
  RecordStream records(stream);
  Record record;
  while (records.Next(record) && record.type != kEof) {
    if (record.type != kFilePass) continue;
    const std::size_t filepass_at = record.offset;
    const std::size_t after = records.position();
    if (storage.data() != stream.data()) storage.assign(stream);
    const std::string filepass(storage.substr(filepass_at + 4, after - filepass_at - 4));
    DecryptWorkbookStream(storage, after, filepass, ReadU16(stream, 4) != 0x0500);
    return storage;
  }
  return stream;
}

}  // namespace

package::ReadResult ReadLegacyBuffer(std::string_view bytes) {
  package::ReadResult result;
  try {
    if (!CompoundFile::HasSignature(bytes)) {
      if (IsOldBof(bytes)) {
        throw ReadError{"it is an Excel 2.1 to 4.0 workbook, which this program does not read"};
      }
      throw ReadError{"it is not an Excel 97-2003 workbook", false, true};
    }
    const CompoundFile file(bytes);
    if (file.FindStream(u"EncryptionInfo") != nullptr &&
        file.FindStream(u"EncryptedPackage") != nullptr) {
      throw ReadError{"This workbook is protected by a password", true};
    }
    const CompoundEntry* entry = file.FindStream(u"Workbook");
    if (entry == nullptr) entry = file.FindStream(u"Book");
    if (entry == nullptr) {
      throw ReadError{"it is a compound file without a workbook in it", false, true};
    }
    std::string storage;
    std::string_view stream = file.ReadStream(*entry, storage);
    stream = Decrypted(stream, storage);
    result.workbook = WorkbookStreamReader(stream).Read();
  } catch (const ReadError& error) {
    result.error = error;
  } catch (const std::bad_alloc&) {
    result.error = {"there is not enough memory to open it"};
  }
  return result;
}

package::ReadResult ReadLegacyFile(const std::string& native_path) {
  std::ifstream in(native_path, std::ios::binary);
  std::string bytes;
  if (in) {
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size > 0) {
      bytes.resize(static_cast<std::size_t>(size));
      in.read(bytes.data(), size);
      bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
  }
  if (!in && bytes.empty()) {
    package::ReadResult result;
    result.error = {std::string("it cannot be read (") + std::strerror(errno) + ")"};
    return result;
  }
  return ReadLegacyBuffer(bytes);
}

}  // namespace brintova::engine::legacy
