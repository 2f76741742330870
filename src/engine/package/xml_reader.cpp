// expat behind ParseXmlPart: handlers dispatched to an XmlHandler, failures turned into
// ReadError with the part and line.
#include "engine/package/xml_reader.h"

#include <expat.h>

#include <cstring>
#include <exception>
#include <memory>

#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

const char* XmlAttributes::Get(std::string_view name) const {
  for (const char** p = pairs_; p[0] != nullptr; p += 2) {
    if (LocalName(p[0]) == name) return p[1];
  }
  return nullptr;
}

const char* XmlAttributes::GetPrefixed(std::string_view local) const {
  for (const char** p = pairs_; p[0] != nullptr; p += 2) {
    const std::string_view name(p[0]);
    if (name.find(':') != std::string_view::npos && LocalName(name) == local) return p[1];
  }
  return nullptr;
}

void AppendUtf8(std::u16string& out, std::string_view utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      out.push_back(c);
      ++i;
    } else if (c < 0xE0 && i + 1 < n) {
      out.push_back(static_cast<char16_t>(((c & 0x1F) << 6) | (s[i + 1] & 0x3F)));
      i += 2;
    } else if (c < 0xF0 && i + 2 < n) {
      out.push_back(
          static_cast<char16_t>(((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F)));
      i += 3;
    } else if (i + 3 < n) {
      const char32_t cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) |
                          ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
      const char32_t v = cp - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
      i += 4;
    } else {
      out.push_back(u'\xFFFD');  // a truncated sequence; expat never hands one over
      ++i;
    }
  }
}

namespace {

struct ParserDeleter {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// Carries the first failure out of the expat callbacks, which must not throw through C code.
struct Context {
  XML_Parser parser = nullptr;
  XmlHandler* handler = nullptr;
  std::string failure;
  bool encrypted = false;
  std::exception_ptr other;
};

void Stop(Context& context) { XML_StopParser(context.parser, XML_FALSE); }

template <typename F>
void Guard(Context& context, F&& f) {
  if (!context.failure.empty() || context.other) return;
  try {
    f();
  } catch (const ReadError& error) {
    context.failure = error.description.empty() ? "the part cannot be read" : error.description;
    context.encrypted = error.encrypted;
    Stop(context);
  } catch (...) {
    context.other = std::current_exception();
    Stop(context);
  }
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& context = *static_cast<Context*>(data);
  Guard(context, [&] { context.handler->Start(LocalName(name), XmlAttributes(attributes)); });
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
  auto& context = *static_cast<Context*>(data);
  Guard(context, [&] { context.handler->End(LocalName(name)); });
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& context = *static_cast<Context*>(data);
  Guard(context, [&] { context.handler->Text(std::string_view(text, length)); });
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto& context = *static_cast<Context*>(data);
  if (context.failure.empty()) {
    context.failure = "it declares a document type (DOCTYPE), which a workbook never does";
  }
  Stop(context);
}

void XMLCALL OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
  auto& context = *static_cast<Context*>(data);
  if (context.failure.empty())
    context.failure = "it declares an entity, which a workbook never does";
  Stop(context);
}

class Parse {
 public:
  Parse(std::string_view part_name, XmlHandler& handler) : part_name_(part_name) {
    parser_.reset(XML_ParserCreate(nullptr));
    if (!parser_) throw ReadError{"not enough memory to read part " + part_name_};
    context_.parser = parser_.get();
    context_.handler = &handler;
    XML_SetUserData(parser_.get(), &context_);
    XML_SetElementHandler(parser_.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser_.get(), OnText);
    XML_SetStartDoctypeDeclHandler(parser_.get(), OnDoctype);
    XML_SetEntityDeclHandler(parser_.get(), OnEntity);
    XML_SetParamEntityParsing(parser_.get(), XML_PARAM_ENTITY_PARSING_NEVER);
  }

  void Feed(const char* data, std::size_t size, bool final) {
    while (size > 0 || final) {
      const std::size_t piece = std::min<std::size_t>(size, 1 << 30);
      const XML_Status status =
          XML_Parse(parser_.get(), data, static_cast<int>(piece), final && piece == size);
      if (status != XML_STATUS_OK) Fail();
      data += piece;
      size -= piece;
      if (size == 0) break;
    }
  }

 private:
  [[noreturn]] void Fail() {
    if (context_.other) std::rethrow_exception(context_.other);
    const auto line = XML_GetCurrentLineNumber(parser_.get());
    std::string where = "part " + part_name_ + " (line " + std::to_string(line) + ")";
    if (!context_.failure.empty()) {
      if (context_.encrypted) throw ReadError{context_.failure, true};
      throw ReadError{where + ": " + context_.failure};
    }
    throw ReadError{where +
                    " is not valid XML: " + XML_ErrorString(XML_GetErrorCode(parser_.get()))};
  }

  std::string part_name_;
  std::unique_ptr<XML_ParserStruct, ParserDeleter> parser_;
  Context context_;
};

}  // namespace

void ParseXmlPart(const ZipReader& zip, std::string_view part_name, XmlHandler& handler) {
  Parse parse(part_name, handler);
  zip.Read(part_name, [&](const char* data, std::size_t size) { parse.Feed(data, size, false); });
  parse.Feed(nullptr, 0, true);
}

void ParseXmlBytes(std::string_view bytes, std::string_view part_name, XmlHandler& handler) {
  Parse parse(part_name, handler);
  parse.Feed(bytes.data(), bytes.size(), true);
}

}  // namespace brintova::engine::package
