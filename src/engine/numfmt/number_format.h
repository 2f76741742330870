// Number-format codes: compiled once, then used to turn a cell's value into the text the
// spreadsheet application displays for it (en-US conventions).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brintova::numfmt {

// k1900: serial 1 is 1 January 1900 and serial 60 the non-existent 29 February 1900.
// k1904: serial 0 is 1 January 1904.
enum class DateSystem { k1900, k1904 };

// Why a format code was refused; offset is the 0-based code unit where the problem was found.
struct CompileError {
  std::u16string description;
  std::size_t offset = 0;
};

namespace internal {
struct CompiledCode;
}

class NumberFormat {
 public:
  NumberFormat();  // General
  NumberFormat(const NumberFormat& other);
  NumberFormat& operator=(const NumberFormat& other);
  NumberFormat(NumberFormat&& other) noexcept;
  NumberFormat& operator=(NumberFormat&& other) noexcept;
  ~NumberFormat();

  // Compiles a format code once. Returns false and fills *error (if given) when the code is
  // invalid; `out` is then General.
  static bool Compile(std::u16string_view code, NumberFormat& out, CompileError* error = nullptr);

  // Replaces `out` with the displayed text. No heap allocation per value on the common paths
  // when `out` has capacity. NaN and infinities show as "#NUM!".
  void RenderNumber(double value, DateSystem system, std::u16string& out) const;
  // Text through the 4th section or the section holding @; General shows text as is.
  void RenderText(std::u16string_view text, std::u16string& out) const;

  bool IsDateTime() const;  // the number section is a date/time format
  bool IsGeneral() const;
  bool IsText() const;  // the code is "@"

 private:
  std::shared_ptr<const internal::CompiledCode> code_;  // null means General
};

// en-US built-in format codes by id 0..49 (14 = "m/d/yyyy", 22 = "m/d/yyyy h:mm", ...); an
// empty view when the id has none (render those as General).
std::u16string_view BuiltinFormatCode(int id);

std::u16string_view BooleanText(bool value);  // "TRUE" / "FALSE"

enum class ErrorValue { kNull, kDiv0, kValue, kRef, kName, kNum, kNA };
// "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"
std::u16string_view ErrorText(ErrorValue e);
std::optional<ErrorValue> ParseErrorText(std::u16string_view text);

}  // namespace brintova::numfmt
