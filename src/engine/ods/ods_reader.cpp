// The .ods reader: what kind of package this is and whether it is encrypted, then the styles,
// then the content.
#include "engine/ods/ods_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <new>

#include "engine/ods/ods_content.h"
#include "engine/ods/ods_styles.h"
#include "engine/ods/ods_xml.h"

namespace brintova::engine::ods {

namespace {

using package::ReadError;
using package::ReadResult;
using package::ZipReader;

constexpr std::string_view kMimePrefix = "application/vnd.oasis.opendocument.";

// Finds whether the manifest encrypts any part (a password-protected document).
class ManifestHandler : public Handler {
 public:
  void Start(const XmlName& name, const Attributes&) override {
    if (name.Is(Ns::kManifest, "encryption-data")) encrypted = true;
  }
  void End(const XmlName&) override {}
  bool encrypted = false;
};

// Hands the elements of office:styles (the named styles) to the style collector.
class StylesPartHandler : public Handler {
 public:
  explicit StylesPartHandler(OdsStyles& styles) : styles_(styles) {}
  void Start(const XmlName& name, const Attributes& attributes) override {
    if (depth_ > 0) {
      ++depth_;
      styles_.Start(name, attributes);
    } else if (name.Is(Ns::kOffice, "styles")) {
      depth_ = 1;
    }
  }
  void End(const XmlName& name) override {
    if (depth_ == 0) return;
    if (--depth_ > 0) styles_.End(name);
  }
  void Text(std::string_view text) override {
    if (depth_ > 0) styles_.Text(text);
  }

 private:
  OdsStyles& styles_;
  int depth_ = 0;
};

std::string MimeType(const ZipReader& zip) {
  std::string mime;
  zip.Read("mimetype", [&](const char* data, std::size_t size) {
    if (mime.size() < 256) mime.append(data, std::min<std::size_t>(size, 256));
  });
  while (!mime.empty() && (mime.back() == '\n' || mime.back() == '\r' || mime.back() == ' ')) {
    mime.pop_back();
  }
  return mime;
}

std::unique_ptr<model::Workbook> Read(const ZipReader& zip, std::uint64_t file_bytes,
                                      std::uint64_t max_cells) {
  if (zip.Has("mimetype")) {
    const std::string mime = MimeType(zip);
    if (mime.starts_with(kMimePrefix) && mime.find("spreadsheet") == std::string::npos) {
      throw ReadError{
          "it is an OpenDocument " + mime.substr(kMimePrefix.size()) + ", not a spreadsheet", false,
          true};
    }
  }
  if (zip.Has("META-INF/manifest.xml")) {
    ManifestHandler manifest;
    ParsePart(zip, "META-INF/manifest.xml", manifest);
    if (manifest.encrypted) throw ReadError{"This workbook is protected by a password", true};
  }
  if (!zip.Has("content.xml")) {
    if (zip.Has("[Content_Types].xml")) {
      throw ReadError{
          "it is an Office Open XML workbook (.xlsx or .xlsb), not an OpenDocument "
          "spreadsheet; rename it to its own extension",
          false, true};
    }
    throw ReadError{"the package holds no content.xml, so it is no OpenDocument spreadsheet", false,
                    true};
  }
  auto book = std::make_unique<model::Workbook>();
  OdsStyles styles(book->styles());
  if (zip.Has("styles.xml")) {
    StylesPartHandler handler(styles);
    ParsePart(zip, "styles.xml", handler);
  }
  ContentHandler content(*book, styles, std::min(CellBudget(file_bytes), max_cells));
  ParsePart(zip, "content.xml", content);
  if (content.sheets() == 0) throw ReadError{"the spreadsheet holds no sheets"};
  if (const std::string shared = model::SharedSheetName(*book); !shared.empty()) {
    throw ReadError{shared + "; the spreadsheet is damaged"};
  }
  book->styles().MarkOriginal();
  return book;
}

template <typename Open>
ReadResult Guarded(Open&& open, const package::ZipLimits& limits, std::uint64_t file_bytes,
                   std::uint64_t max_cells) {
  ReadResult result;
  try {
    ZipReader zip;
    zip.set_limits(limits);
    open(zip);
    result.workbook = Read(zip, file_bytes, max_cells);
  } catch (const ReadError& error) {
    result.error = error;
  } catch (const std::bad_alloc&) {
    result.error = {"there is not enough memory to open it"};
  } catch (const std::exception& error) {
    result.error = {std::string("it cannot be read (") + error.what() + ")"};
  }
  return result;
}

}  // namespace

std::uint64_t CellBudget(std::uint64_t file_bytes) {
  // Sixteen bytes a cell: a floor of 64 MB of cells for any file, and 64 cells for each byte
  // of the file beyond it, far more than any real spreadsheet repeats; never more than any
  // workbook may hold.
  constexpr std::uint64_t kFloor = std::uint64_t{1} << 22;
  return std::min(kFloor + file_bytes * 64, model::kMaxWorkbookCells);
}

ReadResult ReadOdsFile(const std::string& native_path, const package::ZipLimits& limits) {
  struct stat info {};
  const std::uint64_t bytes =
      ::stat(native_path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  return Guarded([&](ZipReader& zip) { zip.OpenFile(native_path); }, limits, bytes,
                 model::kMaxWorkbookCells);
}

ReadResult ReadOdsBuffer(const void* data, std::size_t size, const package::ZipLimits& limits,
                         std::uint64_t max_cells) {
  return Guarded([&](ZipReader& zip) { zip.OpenBuffer(data, size); }, limits, size, max_cells);
}

}  // namespace brintova::engine::ods
