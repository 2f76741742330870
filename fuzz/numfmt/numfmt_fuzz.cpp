// Feeds arbitrary bytes as a format code (UTF-8) to the compiler and, when it compiles, renders
// awkward values and texts through it. Output must stay bounded by the code's length.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "engine/numfmt/number_format.h"
#include "platform/text.h"

namespace {

using brintova::numfmt::CompileError;
using brintova::numfmt::DateSystem;
using brintova::numfmt::NumberFormat;

constexpr double kValues[] = {0,
                              -0.0,
                              1,
                              -1,
                              0.5,
                              -2.5,
                              60,
                              61.75,
                              12.3456789,
                              -12.3456789,
                              0.999999999,
                              1234567.891,
                              2958465.99999,
                              2958466,
                              1e15 + 0.3,
                              1e300,
                              -1e300,
                              1e-300,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::denorm_min(),
                              std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()};

// Every token yields at most a few characters per code unit it took, plus one digit run.
bool Bounded(const std::u16string& out, std::size_t code_length) {
  return out.size() <= 1200 + 4 * code_length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string code =
      brintova::ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  NumberFormat format;
  CompileError error;
  if (!NumberFormat::Compile(code, format, &error)) {
    if (!format.IsGeneral() || error.description.empty() || error.offset > code.size()) {
      __builtin_trap();
    }
    return 0;
  }
  std::u16string out;
  for (double v : kValues) {
    for (DateSystem system : {DateSystem::k1900, DateSystem::k1904}) {
      format.RenderNumber(v, system, out);
      if (!Bounded(out, code.size())) __builtin_trap();
    }
  }
  for (std::u16string_view text : {std::u16string_view(u"abc"), std::u16string_view(u"")}) {
    format.RenderText(text, out);
    if (out.size() > 1200 + 4 * code.size() * (text.size() + 1)) __builtin_trap();
  }
  return 0;
}
