// expat behind ParseXmlPart: handlers dispatched to an XmlHandler, failures turned into
// ReadError with the part and line.
#include "engine/package/xml_reader.h"

#include <expat.h>

#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

void XmlPath::Push(std::string_view local, bool main) {
  if (depth_ < kTracked) {
    levels_[depth_].local.assign(local);
    levels_[depth_].main = main;
  }
  ++depth_;
}

bool XmlPath::Within(std::initializer_list<std::string_view> names) const {
  if (names.size() > depth_ || names.size() > kTracked) return false;
  std::size_t level = 0;
  for (const std::string_view name : names) {
    if (!levels_[level].main || levels_[level].local != name) return false;
    ++level;
  }
  return true;
}

bool XmlPath::Is(std::initializer_list<std::string_view> names) const {
  return names.size() == depth_ && Within(names);
}

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

const char* XmlAttributes::GetNamespaced(std::string_view ns, std::string_view local) const {
  for (const char** p = pairs_; p[0] != nullptr; p += 2) {
    const std::string_view name(p[0]);
    if (name.size() == ns.size() + 1 + local.size() && name.starts_with(ns) &&
        name[ns.size()] == ':' && name.ends_with(local)) {
      return p[1];
    }
  }
  return nullptr;
}

const char* XmlAttributes::GetRelationshipId() const {
  if (const char* id = GetNamespaced(kTransitionalRelationships, "id")) return id;
  return GetNamespaced(kStrictRelationships, "id");
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
  XmlPath path;
  std::string root_namespace;
  // Where the last event began: the parse has moved past everything before it.
  long long progress = 0;
  std::string failure;
  bool encrypted = false;
  std::exception_ptr other;
};

// Expat names elements and attributes "namespace-URI:local" (the separator is ':', so the local
// name stays after the last colon); a name without a namespace has no colon.
constexpr XML_Char kNamespaceSeparator = ':';

std::string_view NamespaceOf(std::string_view expanded) {
  const std::size_t colon = expanded.rfind(kNamespaceSeparator);
  return colon == std::string_view::npos ? std::string_view() : expanded.substr(0, colon);
}

void Advance(Context& context) {
  context.progress = XML_GetCurrentByteIndex(context.parser);
  context.path.SetEvent(context.progress, XML_GetCurrentByteCount(context.parser));
}

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

struct SplitName {
  std::string_view local;
  bool main = false;  // in the root element's namespace
};

// An expanded name split into its local name and whether it is in the root's namespace. Nearly
// every element of a part is, and its expanded name begins with that namespace's URI: the name
// is then measured from its local part on, not scanned whole (some 60 bytes an element).
SplitName Split(const XML_Char* name, const std::string& root_namespace) {
  const std::size_t n = root_namespace.size();
  if (n > 0 && std::strncmp(name, root_namespace.data(), n) == 0 &&
      name[n] == kNamespaceSeparator) {
    const std::string_view local(name + n + 1);
    // A longer URI that merely begins with the root's ("urn:a" against "urn:a:b") leaves a
    // colon behind: a local name never holds one.
    if (local.find(kNamespaceSeparator) == std::string_view::npos) return {local, true};
  }
  const std::string_view expanded(name);
  return {LocalName(expanded), NamespaceOf(expanded) == root_namespace};
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& context = *static_cast<Context*>(data);
  Advance(context);
  if (context.path.depth() == 0) context.root_namespace.assign(NamespaceOf(name));
  const SplitName split = Split(name, context.root_namespace);
  context.path.Push(split.local, split.main);
  if (context.path.depth() > kMaxXmlDepth) {
    if (context.failure.empty()) {
      context.failure = "its elements nest more than " + std::to_string(kMaxXmlDepth) +
                        " levels deep, which a workbook never does";
    }
    Stop(context);
    return;
  }
  Guard(context, [&] { context.handler->Start(split.local, XmlAttributes(attributes)); });
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
  auto& context = *static_cast<Context*>(data);
  Advance(context);
  // An end tag names the element its start tag opened, whose local name the path holds.
  const std::string* local = context.path.local();
  Guard(context, [&] {
    context.handler->End(local != nullptr ? std::string_view(*local)
                                          : Split(name, context.root_namespace).local);
  });
  context.path.Pop();
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& context = *static_cast<Context*>(data);
  Advance(context);
  Guard(context, [&] { context.handler->Text(std::string_view(text, length)); });
}

void XMLCALL OnComment(void* data, const XML_Char*) { Advance(*static_cast<Context*>(data)); }

void XMLCALL OnInstruction(void* data, const XML_Char*, const XML_Char*) {
  Advance(*static_cast<Context*>(data));
}

// White space before and after the root element, the XML declaration and the like.
void XMLCALL OnOther(void* data, const XML_Char*, int) { Advance(*static_cast<Context*>(data)); }

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
    parser_.reset(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
    if (!parser_) throw ReadError{"not enough memory to read part " + part_name_};
    context_.parser = parser_.get();
    context_.handler = &handler;
    handler.set_path(&context_.path);
    XML_SetUserData(parser_.get(), &context_);
    XML_SetElementHandler(parser_.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser_.get(), OnText);
    XML_SetCommentHandler(parser_.get(), OnComment);
    XML_SetProcessingInstructionHandler(parser_.get(), OnInstruction);
    XML_SetDefaultHandlerExpand(parser_.get(), OnOther);
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
      fed_ += static_cast<long long>(piece);
      data += piece;
      size -= piece;
      // Expat keeps an unfinished tag whole in memory and looks at it again with every chunk:
      // a tag that never ends would cost memory and time without bound.
      if (fed_ - context_.progress > static_cast<long long>(kMaxXmlTokenBytes)) {
        throw ReadError{"part " + part_name_ + " (line " +
                        std::to_string(XML_GetCurrentLineNumber(parser_.get())) +
                        "): one tag, comment or instruction runs past " +
                        std::to_string(kMaxXmlTokenBytes >> 20) +
                        " MB, which a workbook never holds"};
      }
      if (size == 0) break;
    }
  }

 private:
  [[noreturn]] void Fail() {
    if (context_.other) std::rethrow_exception(context_.other);
    if (XML_GetErrorCode(parser_.get()) == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
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
  long long fed_ = 0;
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
