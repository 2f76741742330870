// PCRE2 (16-bit library) behind the pattern operation.
#define PCRE2_CODE_UNIT_WIDTH 16
#include "extract/pattern_rule.h"

#include <pcre2.h>

#include <string>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {

namespace {

PCRE2_SPTR Units(std::u16string_view text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

std::u16string ErrorMessage(int code) {
  PCRE2_UCHAR buffer[256];
  const int length = pcre2_get_error_message(code, buffer, sizeof buffer / sizeof buffer[0]);
  if (length < 0) return u"error " + DecimalText(code);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                        static_cast<std::size_t>(length));
}

bool AllDigits(std::u16string_view text) {
  if (text.empty()) return false;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

// Past the code point at `at`: a surrogate pair counts as one.
std::size_t NextCodePoint(std::u16string_view text, std::size_t at) {
  if (at + 1 < text.size() && text[at] >= 0xD800 && text[at] <= 0xDBFF && text[at + 1] >= 0xDC00 &&
      text[at + 1] <= 0xDFFF) {
    return at + 2;
  }
  return at + 1;
}

}  // namespace

struct Pattern::Code {
  pcre2_code* code = nullptr;
  ~Code() { pcre2_code_free(code); }
};

Pattern::Pattern(PatternSettings settings) : settings_(std::move(settings)), code_(new Code) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  std::uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF;
  if (settings_.ignore_case) options |= PCRE2_CASELESS;
  code_->code = pcre2_compile(Units(settings_.pattern), settings_.pattern.size(), options, &error,
                              &offset, nullptr);
  if (code_->code == nullptr) {
    throw Failure(u"The pattern is not valid: " + ErrorMessage(error) + u" (at character " +
                  DecimalText(static_cast<long long>(offset) + 1) + u" of the pattern).");
  }
  // Without the JIT (an unsupported processor) the interpreter runs under the same limit.
  pcre2_jit_compile(code_->code, PCRE2_JIT_COMPLETE);

  const std::u16string& group = settings_.group;
  if (group.empty()) return;
  if (AllDigits(group)) {
    const long long number = group.size() > 6 ? -1 : std::stoll(ToUtf8(group));
    if (number < 0 || number > group_count()) {
      throw Failure(u"The pattern has " + DecimalText(group_count()) +
                    (group_count() == 1 ? u" group" : u" groups") + u", so there is no group " +
                    group + u".");
    }
    group_number_ = static_cast<std::uint32_t>(number);
    return;
  }
  const int number =
      pcre2_substring_number_from_name(code_->code, reinterpret_cast<PCRE2_SPTR>(group.c_str()));
  if (number == PCRE2_ERROR_NOUNIQUESUBSTRING) {
    throw Failure(u"The pattern has several groups named \"" + group +
                  u"\": give the group by number instead.");
  }
  if (number < 0) throw Failure(u"The pattern has no group named \"" + group + u"\".");
  group_number_ = static_cast<std::uint32_t>(number);
}

Pattern::~Pattern() = default;

std::uint32_t Pattern::group_count() const {
  std::uint32_t count = 0;
  pcre2_pattern_info(code_->code, PCRE2_INFO_CAPTURECOUNT, &count);
  return count;
}

struct PatternMatcher::State {
  pcre2_match_data* data = nullptr;
  pcre2_match_context* context = nullptr;
  pcre2_jit_stack* stack = nullptr;
  ~State() {
    pcre2_jit_stack_free(stack);
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
  }
};

PatternMatcher::PatternMatcher(std::shared_ptr<const Pattern> pattern)
    : pattern_(std::move(pattern)), state_(new State) {
  state_->data = pcre2_match_data_create_from_pattern(pattern_->code_->code, nullptr);
  state_->context = pcre2_match_context_create(nullptr);
  state_->stack = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
  if (state_->data == nullptr || state_->context == nullptr) {
    throw Failure("Not enough memory to match the pattern.");
  }
  pcre2_set_match_limit(state_->context, kPatternMatchLimit);
  if (state_->stack != nullptr) pcre2_jit_stack_assign(state_->context, nullptr, state_->stack);
}

PatternMatcher::~PatternMatcher() = default;

std::optional<CellResult> PatternMatcher::Apply(std::u16string_view text) {
  const PatternSettings& settings = pattern_->settings();
  const std::uint32_t group = pattern_->group_number();
  std::optional<CellResult> result;
  std::size_t offset = 0;
  std::uint32_t options = 0;
  while (offset <= text.size()) {
    const int rc = pcre2_match(pattern_->code_->code, Units(text), text.size(), offset, options,
                               state_->data, state_->context);
    if (rc == PCRE2_ERROR_NOMATCH) {
      if (options == 0) break;
      // An empty match here, and no other: go on one character further.
      options = 0;
      offset = NextCodePoint(text, offset);
      continue;
    }
    if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT ||
        rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT) {
      throw Failure(u"The pattern gave up on this cell: matching it would take more than " +
                    DecimalText(kPatternMatchLimit) + u" steps (" + ErrorMessage(rc) +
                    u"). Nested repeats such as (a+)+ try every way to split text that almost "
                    u"matches; make them possessive (a++) or atomic ((?>a+)).");
    }
    if (rc < 0) throw Failure(u"The pattern could not be matched: " + ErrorMessage(rc) + u".");

    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(state_->data);
    std::u16string piece;
    if (group < static_cast<std::uint32_t>(rc) && ovector[2 * group] != PCRE2_UNSET &&
        ovector[2 * group] <= ovector[2 * group + 1]) {
      piece = text.substr(ovector[2 * group], ovector[2 * group + 1] - ovector[2 * group]);
    }
    if (!result) {
      result = CellResult{std::move(piece)};
    } else {
      result->text += settings.join;
      result->text += piece;
    }
    if (!settings.all) break;
    const std::size_t start = ovector[0];
    const std::size_t end = ovector[1];
    offset = end;
    options = end <= start ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
  }
  return result;
}

}  // namespace brintova::ExcelExtract
