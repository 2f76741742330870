// expat behind ParsePart: names split into a known namespace and a local name by the prefixes
// the file declares, failures carried out of the callbacks and turned into ReadError with the
// part and line.
#include "engine/ods/ods_xml.h"

#include <expat.h>

#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::ods {

namespace {

struct KnownNamespace {
  std::string_view uri;
  Ns ns;
};

constexpr KnownNamespace kNamespaces[] = {
    {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", Ns::kTable},
    {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", Ns::kOffice},
    {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", Ns::kText},
    {"urn:oasis:names:tc:opendocument:xmlns:style:1.0", Ns::kStyle},
    {"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0", Ns::kNumber},
    {"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0", Ns::kFo},
    {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", Ns::kDraw},
    {"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0", Ns::kCalcext},
    {"urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0", Ns::kLoext},
    {"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0", Ns::kManifest},
};

Ns NamespaceOf(std::string_view uri) {
  for (const auto& known : kNamespaces) {
    if (known.uri == uri) return known.ns;
  }
  return Ns::kNone;
}

struct ParserDeleter {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// Carries the first failure out of the expat callbacks, which must not throw through C code.
struct Context {
  XML_Parser parser = nullptr;
  Handler* handler = nullptr;
  Namespaces namespaces;
  std::string failure;
  bool encrypted = false;
  std::exception_ptr other;
};

template <typename F>
void Guard(Context& context, F&& f) {
  if (!context.failure.empty() || context.other) return;
  try {
    f();
  } catch (const package::ReadError& error) {
    context.failure = error.description.empty() ? "the part cannot be read" : error.description;
    context.encrypted = error.encrypted;
    XML_StopParser(context.parser, XML_FALSE);
  } catch (...) {
    context.other = std::current_exception();
    XML_StopParser(context.parser, XML_FALSE);
  }
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& context = *static_cast<Context*>(data);
  Guard(context, [&] {
    context.namespaces.Declare(attributes);
    context.handler->Start(context.namespaces.Split(name),
                           Attributes(attributes, context.namespaces));
  });
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
  auto& context = *static_cast<Context*>(data);
  Guard(context, [&] { context.handler->End(context.namespaces.Split(name)); });
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& context = *static_cast<Context*>(data);
  Guard(context,
        [&] { context.handler->Text(std::string_view(text, static_cast<std::size_t>(length))); });
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto& context = *static_cast<Context*>(data);
  if (context.failure.empty()) {
    context.failure = "it declares a document type (DOCTYPE), which a workbook never does";
  }
  XML_StopParser(context.parser, XML_FALSE);
}

void XMLCALL OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
  auto& context = *static_cast<Context*>(data);
  if (context.failure.empty()) {
    context.failure = "it declares an entity, which a workbook never does";
  }
  XML_StopParser(context.parser, XML_FALSE);
}

class Parse {
 public:
  Parse(std::string_view part_name, Handler& handler) : part_name_(part_name) {
    parser_.reset(XML_ParserCreate(nullptr));
    if (!parser_) throw package::ReadError{"not enough memory to read part " + part_name_};
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
    do {
      const std::size_t piece = std::min<std::size_t>(size, 1 << 30);
      if (XML_Parse(parser_.get(), data, static_cast<int>(piece), final && piece == size) !=
          XML_STATUS_OK) {
        Fail();
      }
      data += piece;
      size -= piece;
    } while (size > 0);
  }

 private:
  [[noreturn]] void Fail() {
    if (context_.other) std::rethrow_exception(context_.other);
    const auto line = XML_GetCurrentLineNumber(parser_.get());
    const std::string where = "part " + part_name_ + " (line " + std::to_string(line) + ")";
    if (!context_.failure.empty()) {
      if (context_.encrypted) throw package::ReadError{context_.failure, true};
      throw package::ReadError{where + ": " + context_.failure};
    }
    throw package::ReadError{
        where + " is not valid XML: " + XML_ErrorString(XML_GetErrorCode(parser_.get()))};
  }

  std::string part_name_;
  std::unique_ptr<XML_ParserStruct, ParserDeleter> parser_;
  Context context_;
};

}  // namespace

void Namespaces::Declare(const char** pairs) {
  for (const char** p = pairs; p[0] != nullptr; p += 2) {
    const std::string_view name(p[0]);
    if (!name.starts_with("xmlns")) continue;
    const Ns ns = NamespaceOf(p[1]);
    if (name.size() == 5) {
      default_ = ns;
      continue;
    }
    if (name[5] != ':') continue;
    const std::string_view prefix = name.substr(6);
    std::erase_if(bindings_, [&](const Binding& b) { return b.prefix == prefix; });
    if (ns != Ns::kNone) bindings_.push_back({std::string(prefix), ns});
  }
}

XmlName Namespaces::Split(std::string_view qualified) const {
  const std::size_t colon = qualified.find(':');
  if (colon == std::string_view::npos) return {default_, qualified};
  const std::string_view prefix = qualified.substr(0, colon);
  for (const Binding& binding : bindings_) {
    if (binding.prefix == prefix) return {binding.ns, qualified.substr(colon + 1)};
  }
  return {Ns::kNone, qualified.substr(colon + 1)};
}

const char* Attributes::Get(Ns ns, std::string_view local) const {
  for (const char** p = pairs_; p[0] != nullptr; p += 2) {
    const XmlName name = namespaces_.Split(p[0]);
    if (name.ns == ns && name.local == local) return p[1];
  }
  return nullptr;
}

void ParsePart(const package::ZipReader& zip, std::string_view part_name, Handler& handler) {
  Parse parse(part_name, handler);
  zip.Read(part_name, [&](const char* data, std::size_t size) { parse.Feed(data, size, false); });
  parse.Feed(nullptr, 0, true);
}

void ParseBytes(std::string_view bytes, std::string_view part_name, Handler& handler) {
  Parse parse(part_name, handler);
  parse.Feed(bytes.data(), bytes.size(), true);
}

}  // namespace brintova::engine::ods
