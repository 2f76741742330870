#include "fakes/fake_file_queries.h"

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::testing {

namespace {

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 0x20 : c; }

bool MatchesFrom(std::u16string_view pattern, std::u16string_view name) {
  if (pattern.empty()) return name.empty();
  if (pattern.front() == u'*') {
    for (std::size_t skip = 0; skip <= name.size(); ++skip) {
      if (MatchesFrom(pattern.substr(1), name.substr(skip))) return true;
    }
    return false;
  }
  if (name.empty()) return false;
  if (pattern.front() != u'?' && Upper(pattern.front()) != Upper(name.front())) return false;
  return MatchesFrom(pattern.substr(1), name.substr(1));
}

// "*" and "?" without regard to ASCII case; enough for the patterns the tests use.
bool Matches(std::u16string_view pattern, std::u16string_view name) {
  return pattern.empty() || pattern == u"*.*" || MatchesFrom(pattern, name);
}

Failure NotFound(std::u16string_view path) {
  return Failure(u"File not found: " + std::u16string(path), 53);
}

}  // namespace

std::u16string FakeFileQueries::Normalize(std::u16string_view path) const {
  std::u16string out;
  for (const char16_t c : path) {
    if (c == separator_ && !out.empty() && out.back() == separator_) continue;
    out += c;
  }
  // Keep the root's separator ("/" or "D:\"), drop any other trailing one.
  const bool root = out.size() == 1 || (out.size() == 3 && out[1] == u':');
  if (out.size() > 1 && out.back() == separator_ && !root) out.pop_back();
  return out;
}

std::u16string FakeFileQueries::Child(const std::u16string& folder,
                                      std::u16string_view name) const {
  std::u16string path = folder;
  if (path.empty() || path.back() != separator_) path += separator_;
  return path + std::u16string(name);
}

std::u16string FakeFileQueries::Parent(const std::u16string& normal) const {
  const std::size_t at = normal.rfind(separator_);
  if (at == std::u16string::npos) return {};
  const std::u16string parent = normal.substr(0, at);
  // The root keeps its separator.
  if (parent.empty() || (parent.size() == 2 && parent[1] == u':')) return parent + separator_;
  return parent;
}

std::u16string FakeFileQueries::Name(const std::u16string& normal) const {
  const std::size_t at = normal.rfind(separator_);
  return at == std::u16string::npos ? normal : normal.substr(at + 1);
}

void FakeFileQueries::Insert(std::u16string_view path, std::uint32_t attributes) {
  const std::u16string normal = Normalize(path);
  if (nodes_.contains(normal)) {
    nodes_[normal].attributes = attributes;
    return;
  }
  const std::u16string parent = Parent(normal);
  if (!parent.empty() && parent != normal) {
    if (!nodes_.contains(parent)) Insert(parent, file_attribute::kDirectory);
    nodes_[parent].children.push_back(Name(normal));
  }
  nodes_[normal].attributes = attributes;
}

void FakeFileQueries::AddFolder(std::u16string_view path, std::uint32_t attributes) {
  Insert(path, attributes | file_attribute::kDirectory);
}

void FakeFileQueries::AddFile(std::u16string_view path, std::uint32_t attributes) {
  Insert(path, attributes);
}

void FakeFileQueries::AddFolderLink(std::u16string_view path, std::u16string_view target) {
  Insert(path, file_attribute::kDirectory);
  nodes_[Normalize(path)].link_target = Normalize(target);
}

void FakeFileQueries::Remove(std::u16string_view path) {
  const std::u16string normal = Normalize(path);
  const std::u16string prefix = normal + separator_;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == normal || it->first.starts_with(prefix)) {
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  const auto parent = nodes_.find(Parent(normal));
  if (parent != nodes_.end()) std::erase(parent->second.children, Name(normal));
}

std::u16string FakeFileQueries::Resolve(std::u16string_view path) const {
  std::u16string normal = Normalize(path);
  // Follow a link found at any level of the path.
  for (std::size_t at = 0; at != std::u16string::npos;) {
    at = normal.find(separator_, at + 1);
    const std::u16string head = at == std::u16string::npos ? normal : normal.substr(0, at);
    const auto node = nodes_.find(head);
    if (node != nodes_.end() && node->second.link_target) {
      normal = *node->second.link_target +
               (at == std::u16string::npos ? std::u16string() : normal.substr(at));
      at = 0;
    }
  }
  return normal;
}

const FakeFileQueries::Node* FakeFileQueries::Find(std::u16string_view path) const {
  const auto it = nodes_.find(Resolve(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

std::vector<std::u16string> FakeFileQueries::ListDirectory(std::u16string_view folder,
                                                           std::u16string_view pattern,
                                                           std::uint32_t attributes) {
  ++listings;
  if (fail_listing.contains(Normalize(folder)) ||
      (fail_file_listing.contains(Normalize(folder)) &&
       (attributes & file_attribute::kDirectory) == 0)) {
    throw Failure(u"Permission denied: " + Normalize(folder), 70);
  }
  const Node* node = Find(folder);
  if (node == nullptr || (node->attributes & file_attribute::kDirectory) == 0) {
    throw Failure(u"Path not found: " + std::u16string(folder), 76);
  }
  std::vector<std::u16string> names;
  if ((attributes & file_attribute::kDirectory) != 0) {
    for (const std::u16string dot : {u".", u".."}) {
      if (Matches(pattern, dot)) names.push_back(dot);
    }
  }
  const std::u16string base = Resolve(folder);
  for (const std::u16string& name : node->children) {
    const Node* child = Find(Child(base, name));
    if (child == nullptr) continue;
    const std::uint32_t special =
        child->attributes &
        (file_attribute::kHidden | file_attribute::kSystem | file_attribute::kDirectory);
    if ((special & attributes) != special) continue;
    if (Matches(pattern, name)) names.push_back(name);
  }
  return names;
}

std::uint32_t FakeFileQueries::GetAttributes(std::u16string_view path) {
  if (fail_attributes.contains(Normalize(path))) {
    throw Failure(u"Permission denied: " + Normalize(path), 70);
  }
  const Node* node = Find(path);
  if (node == nullptr) throw NotFound(path);
  return node->attributes;
}

std::int64_t FakeFileQueries::LastModified(std::u16string_view path) {
  if (Find(path) == nullptr) throw NotFound(path);
  return 1'400'000'000;
}

std::optional<std::string> FakeFileQueries::FolderIdentity(std::u16string_view path) {
  if (fail_identity.contains(Normalize(path))) {
    throw Failure(u"Cannot examine \"" + Normalize(path) + u"\": Input/output error", 75);
  }
  if (Find(path) == nullptr) throw NotFound(path);
  return ToUtf8(Resolve(path));
}

std::u16string FakeShell::BrowseForFolder(std::u16string_view title) {
  browse_titles.emplace_back(title);
  if (browse_answers.empty()) return {};
  std::u16string answer = std::move(browse_answers.front());
  browse_answers.pop_front();
  return answer;
}

std::u16string FakeDataObject::File(std::int32_t index) {
  if (index < 1 || index > FileCount()) throw Failure(u"Index out of bounds", 35600);
  return files[index - 1];
}

}  // namespace brintova::testing
