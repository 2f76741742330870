// Result file names and their collision rule.
#include "cli/result_names.h"

#include <unordered_set>

#include "platform/text.h"

namespace brintova::cli {

namespace {

std::u16string_view FileNameOf(std::u16string_view path) {
  const std::size_t slash = path.rfind(u'/');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

// The file name without its extension; a name whose only dot is its first character has none.
std::u16string_view StemOf(std::u16string_view name) {
  const std::size_t dot = name.rfind(u'.');
  return dot == std::u16string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

std::u16string_view ExtensionOf(std::u16string_view name) {
  const std::u16string_view stem = StemOf(name);
  return name.substr(stem.size());
}

}  // namespace

std::u16string ResultExtension(std::u16string_view source_path, bool new_workbook) {
  if (new_workbook) return u".xlsx";
  const std::u16string extension = AsciiLower(ExtensionOf(FileNameOf(source_path)));
  if (extension == u".xlsm" || extension == u".xltx" || extension == u".xltm") return extension;
  if (extension == u".xlt") return u".xltx";
  return u".xlsx";
}

std::u16string KindChangeNote(std::u16string_view source_path, std::u16string_view result_path) {
  const std::u16string extension = AsciiLower(ExtensionOf(FileNameOf(source_path)));
  std::u16string_view format;
  if (extension == u".xls" || extension == u".xlt") {
    format = u"Excel 97-2003";
  } else if (extension == u".xlsb") {
    format = u"Excel binary (.xlsb)";
  } else if (extension == u".ods" || extension == u".ots") {
    format = u"OpenDocument";
  } else {
    return {};
  }
  return std::u16string(source_path) + u": the " + std::u16string(format) +
         u" format is read only; the result is saved as " + std::u16string(result_path);
}

std::u16string ResultFileName(std::u16string_view source_path, bool new_workbook) {
  return std::u16string(StemOf(FileNameOf(source_path))) +
         ResultExtension(source_path, new_workbook);
}

std::vector<std::u16string> AssignResultPaths(
    const std::vector<std::u16string>& sources, std::u16string_view folder, bool new_workbook,
    const std::function<bool(std::u16string_view path)>& is_source) {
  std::vector<std::u16string> names;
  names.reserve(sources.size());
  for (const std::u16string& source : sources)
    names.push_back(ResultFileName(source, new_workbook));
  return AssignUniquePaths(names, folder, is_source);
}

std::vector<std::u16string> AssignUniquePaths(
    const std::vector<std::u16string>& names, std::u16string_view folder,
    const std::function<bool(std::u16string_view path)>& taken) {
  std::u16string prefix(folder);
  if (prefix.empty() || prefix.back() != u'/') prefix += u'/';

  std::unordered_set<std::u16string> given;  // lower-cased names given so far
  std::vector<std::u16string> paths;
  paths.reserve(names.size());
  for (const std::u16string& name : names) {
    const std::u16string_view stem = StemOf(name);
    const std::u16string_view extension = ExtensionOf(name);
    std::u16string candidate = name;
    for (long long number = 2;; ++number) {
      if (!given.contains(AsciiLower(candidate)) && !taken(prefix + candidate)) break;
      candidate =
          std::u16string(stem) + u" (" + DecimalText(number) + u")" + std::u16string(extension);
    }
    given.insert(AsciiLower(candidate));
    paths.push_back(prefix + candidate);
  }
  return paths;
}

}  // namespace brintova::cli
