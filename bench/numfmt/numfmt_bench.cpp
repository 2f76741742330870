// Renders one million values through each common kind of format code, compiled once, into one
// reused buffer, and reports values per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/numfmt/number_format.h"

namespace {

using brintova::numfmt::DateSystem;
using brintova::numfmt::NumberFormat;

constexpr int kValues = 1'000'000;

enum class Spread { kMixed, kMoney, kRatio, kSerial };

// A fixed, reproducible set of values of the kind each format usually meets.
std::vector<double> MakeValues(Spread spread) {
  std::mt19937_64 rng(20240611);
  std::vector<double> values(kValues);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (double& v : values) {
    switch (spread) {
      case Spread::kMixed: {
        // Whole numbers, money amounts and long fractions of many magnitudes, both signs.
        const int kind = static_cast<int>(rng() % 3);
        const double magnitude = std::pow(10.0, static_cast<int>(rng() % 12) - 3);
        v = kind == 0   ? std::floor(unit(rng) * 1e6)
            : kind == 1 ? std::round(unit(rng) * 1e7) / 100
                        : unit(rng) * magnitude;
        if (rng() % 4 == 0) v = -v;
        break;
      }
      case Spread::kMoney:
        v = std::round((unit(rng) - 0.3) * 1e9) / 100;
        break;
      case Spread::kRatio:
        v = unit(rng) * 2 - 0.5;
        break;
      case Spread::kSerial:
        v = 1 + unit(rng) * 60000;
        break;
    }
  }
  return values;
}

void Render(benchmark::State& state, const char16_t* code, Spread spread) {
  NumberFormat format;
  if (!NumberFormat::Compile(code, format)) {
    state.SkipWithError("format code did not compile");
    return;
  }
  const std::vector<double> values = MakeValues(spread);
  std::u16string out;
  out.reserve(64);
  std::size_t chars = 0;
  for (auto _ : state) {
    for (double v : values) {
      format.RenderNumber(v, DateSystem::k1900, out);
      chars += out.size();
    }
    benchmark::DoNotOptimize(chars);
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}

BENCHMARK_CAPTURE(Render, General, u"General", Spread::kMixed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Render, Fixed2, u"0.00", Spread::kMoney)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Render, Thousands, u"#,##0", Spread::kMoney)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Render, Percent, u"0%", Spread::kRatio)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Render, Date, u"m/d/yyyy", Spread::kSerial)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Render, DateTime, u"yyyy-mm-dd hh:mm:ss", Spread::kSerial)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Render, Fraction, u"# ?\?/?\?", Spread::kMoney)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Render, FourSections, u"#,##0.00_);[Red](#,##0.00);\"zero\";\"text: \"@",
                  Spread::kMoney)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
