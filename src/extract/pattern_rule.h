// The pattern operation: each cell's text matched against a regular expression (PCRE2, UTF-16,
// Unicode-aware classes, compiled to machine code where the JIT is available), writing the
// whole match, a numbered or named group, or every match joined. A match that needs more than
// kPatternMatchLimit steps fails its cell instead of running on for hours.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "extract/cell_walk.h"

namespace brintova::ExcelExtract {

// Steps (PCRE2's match limit) one cell may take. Ordinary patterns need a few per character;
// nested repeats on text that almost matches need 2^n and stop here within milliseconds.
inline constexpr std::uint32_t kPatternMatchLimit = 1'000'000;

struct PatternSettings {
  std::u16string pattern;
  // Which text of a match is the result: "" or "0" the whole match, digits a numbered group,
  // anything else the name of a group.
  std::u16string group;
  bool all = false;             // every match, not only the first
  std::u16string join = u", ";  // between the matches when `all`
  bool ignore_case = false;
};

// A compiled pattern: immutable, shared by every worker.
class Pattern {
 public:
  // Throws Failure saying what is wrong and where (1-based code unit of the pattern), or that
  // the group asked for is not in the pattern.
  explicit Pattern(PatternSettings settings);
  ~Pattern();
  Pattern(const Pattern&) = delete;
  Pattern& operator=(const Pattern&) = delete;

  const PatternSettings& settings() const { return settings_; }
  std::uint32_t group_number() const { return group_number_; }
  std::uint32_t group_count() const;  // capturing groups in the pattern

 private:
  friend class PatternMatcher;
  struct Code;
  PatternSettings settings_;
  std::unique_ptr<Code> code_;
  std::uint32_t group_number_ = 0;
};

// What one thread matches with: its own match data and JIT stack over a shared Pattern.
class PatternMatcher {
 public:
  explicit PatternMatcher(std::shared_ptr<const Pattern> pattern);
  ~PatternMatcher();
  PatternMatcher(const PatternMatcher&) = delete;
  PatternMatcher& operator=(const PatternMatcher&) = delete;

  // The cell rule: nullopt (no write) when nothing matches; a group that took no part in the
  // match gives "". Throws Failure when the match hits its limit or PCRE2 reports an error.
  std::optional<CellResult> Apply(std::u16string_view text);

 private:
  struct State;
  std::shared_ptr<const Pattern> pattern_;
  std::unique_ptr<State> state_;
};

}  // namespace brintova::ExcelExtract
