// Collecting data styles, cell styles and table styles, and resolving a cell style into the
// number format its cells show with.
#include "engine/ods/ods_styles.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

#include "engine/package/xml_reader.h"

namespace brintova::engine::ods {

namespace {

int IntAttribute(const Attributes& attributes, Ns ns, std::string_view local, int absent = -1) {
  const char* text = attributes.Get(ns, local);
  if (text == nullptr) return absent;
  int value = absent;
  const auto [end, ec] = std::from_chars(text, text + std::strlen(text), value);
  if (ec != std::errc()) return absent;
  return std::clamp(value, -1, 1024);
}

bool Is(const char* text, std::string_view value) { return text != nullptr && value == text; }

std::optional<DataStyleKind> StyleKindOf(std::string_view local) {
  if (local == "number-style") return DataStyleKind::kNumber;
  if (local == "currency-style") return DataStyleKind::kCurrency;
  if (local == "percentage-style") return DataStyleKind::kPercentage;
  if (local == "date-style") return DataStyleKind::kDate;
  if (local == "time-style") return DataStyleKind::kTime;
  if (local == "boolean-style") return DataStyleKind::kBoolean;
  if (local == "text-style") return DataStyleKind::kText;
  return std::nullopt;
}

PartKind PartKindOf(std::string_view local) {
  static const std::map<std::string_view, PartKind> kParts = {
      {"text", PartKind::kText},
      {"number", PartKind::kNumber},
      {"scientific-number", PartKind::kScientific},
      {"fraction", PartKind::kFraction},
      {"currency-symbol", PartKind::kCurrencySymbol},
      {"day", PartKind::kDay},
      {"month", PartKind::kMonth},
      {"year", PartKind::kYear},
      {"day-of-week", PartKind::kDayOfWeek},
      {"hours", PartKind::kHours},
      {"minutes", PartKind::kMinutes},
      {"seconds", PartKind::kSeconds},
      {"am-pm", PartKind::kAmPm},
      {"boolean", PartKind::kBoolean},
      {"text-content", PartKind::kTextContent},
      {"fill-character", PartKind::kFill},
  };
  const auto it = kParts.find(local);
  return it == kParts.end() ? PartKind::kUnsupported : it->second;
}

// min-decimal-places and exponent-interval came in the LibreOffice namespace before ODF 1.3.
int NumberOrLoext(const Attributes& attributes, std::string_view local, int absent) {
  const int value = IntAttribute(attributes, Ns::kNumber, local, -2);
  return value != -2 ? value : IntAttribute(attributes, Ns::kLoext, local, absent);
}

void ReadPartAttributes(const Attributes& attributes, DataPart& part) {
  part.long_form = Is(attributes.Get(Ns::kNumber, "style"), "long");
  part.textual = Is(attributes.Get(Ns::kNumber, "textual"), "true");
  part.decimal_places = IntAttribute(attributes, Ns::kNumber, "decimal-places");
  part.min_decimal_places = NumberOrLoext(attributes, "min-decimal-places", -1);
  part.min_integer_digits = IntAttribute(attributes, Ns::kNumber, "min-integer-digits");
  part.grouping = Is(attributes.Get(Ns::kNumber, "grouping"), "true");
  if (const char* factor = attributes.Get(Ns::kNumber, "display-factor")) {
    std::from_chars(factor, factor + std::strlen(factor), part.display_factor);
  }
  const char* replacement = attributes.Get(Ns::kNumber, "decimal-replacement");
  part.decimal_replacement = replacement != nullptr && *replacement != '\0';
  part.min_exponent_digits = IntAttribute(attributes, Ns::kNumber, "min-exponent-digits");
  part.exponent_interval = std::max(NumberOrLoext(attributes, "exponent-interval", 1), 1);
  part.min_numerator_digits = IntAttribute(attributes, Ns::kNumber, "min-numerator-digits");
  part.min_denominator_digits = IntAttribute(attributes, Ns::kNumber, "min-denominator-digits");
  part.denominator_value = std::max(IntAttribute(attributes, Ns::kNumber, "denominator-value"), 0);
}

}  // namespace

void OdsStyles::Start(const XmlName& name, const Attributes& attributes) {
  if (data_style_ != nullptr) {
    if (name.Is(Ns::kStyle, "map")) {
      const char* condition = attributes.Get(Ns::kStyle, "condition");
      const char* apply = attributes.Get(Ns::kStyle, "apply-style-name");
      if (condition != nullptr && apply != nullptr) data_style_->maps.push_back({condition, apply});
      return;
    }
    if (name.ns == Ns::kNumber && name.local == "embedded-text" && !data_style_->parts.empty()) {
      auto& embedded = data_style_->parts.back().embedded;
      embedded.push_back({std::max(IntAttribute(attributes, Ns::kNumber, "position", 0), 0), {}});
      collecting_ = &embedded.back().text;
      return;
    }
    if (name.ns != Ns::kNumber && name.ns != Ns::kLoext) return;  // text properties and such
    if (name.ns == Ns::kLoext && name.local != "text" && name.local != "fill-character") return;
    DataPart part;
    part.kind = PartKindOf(name.local);
    ReadPartAttributes(attributes, part);
    if (const char* calendar = attributes.Get(Ns::kNumber, "calendar")) {
      if (std::string_view(calendar) != "gregorian") data_style_->non_gregorian = true;
    }
    // A part opened inside a text part ends that text: growing the list would leave a pointer
    // into it dangling.
    collecting_ = nullptr;
    data_style_->parts.push_back(std::move(part));
    const PartKind kind = data_style_->parts.back().kind;
    if (kind == PartKind::kText || kind == PartKind::kCurrencySymbol || kind == PartKind::kFill) {
      collecting_ = &data_style_->parts.back().text;
    }
    return;
  }
  if (name.ns == Ns::kNumber) {
    const auto kind = StyleKindOf(name.local);
    const char* style_name = attributes.Get(Ns::kStyle, "name");
    if (!kind || style_name == nullptr) return;
    DataStyle& style = data_styles_[style_name];
    style = DataStyle{};
    style.kind = *kind;
    style.truncate_on_overflow = !Is(attributes.Get(Ns::kNumber, "truncate-on-overflow"), "false");
    data_style_ = &style;
    return;
  }
  if (name.Is(Ns::kStyle, "style")) {
    const char* family = attributes.Get(Ns::kStyle, "family");
    const char* style_name = attributes.Get(Ns::kStyle, "name");
    if (style_name == nullptr) return;
    if (Is(family, "table-cell")) {
      CellStyle& style = cell_styles_[style_name];
      const char* parent = attributes.Get(Ns::kStyle, "parent-style-name");
      const char* data = attributes.Get(Ns::kStyle, "data-style-name");
      style.parent = parent != nullptr ? parent : "";
      style.data_style = data != nullptr ? data : "";
    } else if (Is(family, "table")) {
      table_style_ = style_name;
    }
    return;
  }
  if (name.Is(Ns::kStyle, "default-style")) {
    if (Is(attributes.Get(Ns::kStyle, "family"), "table-cell")) {
      if (const char* data = attributes.Get(Ns::kStyle, "data-style-name"))
        default_data_style_ = data;
    }
    return;
  }
  if (name.Is(Ns::kStyle, "table-properties") && !table_style_.empty()) {
    if (Is(attributes.Get(Ns::kTable, "display"), "false")) hidden_tables_.insert(table_style_);
  }
}

void OdsStyles::End(const XmlName& name) {
  if (data_style_ != nullptr) {
    if (name.ns == Ns::kNumber && StyleKindOf(name.local)) {
      data_style_ = nullptr;
    }
    collecting_ = nullptr;
    return;
  }
  if (name.Is(Ns::kStyle, "style")) table_style_.clear();
}

void OdsStyles::Text(std::string_view text) {
  if (collecting_ != nullptr && collecting_->size() < 1024) package::AppendUtf8(*collecting_, text);
}

const DataStyle* OdsStyles::FindDataStyle(const std::string& name) const {
  const auto it = data_styles_.find(name);
  return it == data_styles_.end() ? nullptr : &it->second;
}

const CellFormat& OdsStyles::ForCellStyle(std::string_view name) {
  if (last_format_ != nullptr && name == last_name_) return *last_format_;
  last_name_.assign(name);
  auto it = resolved_.find(last_name_);
  if (it == resolved_.end()) it = resolved_.emplace(last_name_, Resolve(last_name_)).first;
  last_format_ = &it->second;  // elements of an unordered_map stay where they are
  return it->second;
}

CellFormat OdsStyles::Resolve(const std::string& name) {
  // The data style comes from the cell style or the nearest parent that names one.
  std::string data_name;
  std::string current = name;
  for (int depth = 0; depth < 32 && !current.empty(); ++depth) {
    const auto it = cell_styles_.find(current);
    if (it == cell_styles_.end()) break;
    if (!it->second.data_style.empty()) {
      data_name = it->second.data_style;
      break;
    }
    current = it->second.parent;
  }
  if (data_name.empty()) data_name = default_data_style_;
  const DataStyle* data = FindDataStyle(data_name);
  CellFormat format;
  if (data == nullptr) return format;  // General
  format.date_time = data->kind == DataStyleKind::kDate || data->kind == DataStyleKind::kTime;
  const Translation translation = TranslateDataStyle(
      *data, [this](const std::string& target) { return FindDataStyle(target); });
  format.kind = translation.kind;
  if (translation.kind != Translation::Kind::kCode || translation.code == u"General") {
    return format;
  }
  if (const auto it = style_for_code_.find(translation.code); it != style_for_code_.end()) {
    format.style = it->second;
    return format;
  }
  const std::uint32_t id = translation.code == u"@" ? 49 : next_format_id_++;
  format.style = table_.AddStyle(table_.AddFormat(id, translation.code));
  style_for_code_.emplace(translation.code, format.style);
  return format;
}

}  // namespace brintova::engine::ods
