// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one evaluation, from the calculation text to the value. The second set runs texts
// that mean the same in another expression library through both engines in the same run, each
// parsed afresh as a calculator does for every new calculation, and reports the time ratio.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/evaluator.h"
#include "platform/unicode.h"

namespace {

const std::u16string kTexts[] = {
    u"2+3*4",
    u"42",
    u"1/3",
    u"(1+2)*(3+4)",
    u"2^10-1",
    u"sin(30)+cos(60)",
    u"sqr(2)*sqr(8)",
    u"ln(10)/ln(2)",
    u"170!",
    u"50%*200",
    u"-(2+3)*4",
    u"abs(-3.5)+int(2.7)",
    u"asin(0.5)+acos(0.5)+atan(1)",
    u"((((1+2)*3)-4)/5)^2",
    u"3.14159265358979*2.5^2",
    u"log(1000)+e^2",
    u"1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17+18+19+20",
    u"sinh(1)^2-cosh(1)^2+tanh(0.5)",
    u"(1+2>2)*(3<>4)+(5<=5)",
    u"sqr(sqr(sqr(sqr(sqr(65536)))))*sin(45)^2+cos(45)^2-tan(30)*(2^0.5+3^(1/3))",
};

void BM_EvaluateExpression(benchmark::State& state) {
  SetAngleMode(2);
  const std::u16string& text = kTexts[state.range(0)];
  for (auto _ : state) benchmark::DoNotOptimize(EvaluateExpression(text));
  state.SetLabel(Utf16ToUtf8(text));
}
BENCHMARK(BM_EvaluateExpression)->DenseRange(0, 19);

// The longest text the evaluator takes: 128 numbers and 127 operators, decimals and a fraction
// among them.
std::u16string LongestText() {
  std::u16string text = u"0.5";
  for (int i = 1; i < 128; ++i) {
    text += i % 3 == 0 ? u"*" : i % 3 == 1 ? u"+" : u"-";
    text += i % 4 == 0 ? u"1.25" : i % 4 == 1 ? u"7" : i % 4 == 2 ? u"0.1" : u"3";
  }
  return text;
}

void BM_EvaluateLongestText(benchmark::State& state) {
  SetAngleMode(2);
  const std::u16string text = LongestText();
  for (auto _ : state) benchmark::DoNotOptimize(EvaluateExpression(text));
}
BENCHMARK(BM_EvaluateLongestText);

// Texts that mean the same in both engines: explicit parentheses, radians, sqrt for sqr.
struct SharedText {
  std::u16string ours;
  std::string theirs;
};
const SharedText kShared[] = {
    {u"2+3*4", "2+3*4"},
    {u"(1+2)*(3+4)", "(1+2)*(3+4)"},
    {u"(2^10)-1", "(2^10)-1"},
    {u"sin(0.5)+cos(0.25)", "sin(0.5)+cos(0.25)"},
    {u"tan(0.3)*2", "tan(0.3)*2"},
    {u"ln(10)/log(2)", "ln(10)/log10(2)"},
    {u"abs(-3.5)+sqr(2)", "abs(-3.5)+sqrt(2)"},
    {u"((((1+2)*3)-4)/5)^2", "((((1+2)*3)-4)/5)^2"},
    {u"1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16", "1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16"},
    {u"sqr(sqr(16))*sin(1)^2+cos(1)^2", "sqrt(sqrt(16))*(sin(1)^2)+(cos(1)^2)"},
};

void BM_SharedOurs(benchmark::State& state) {
  SetAngleMode(1);
  for (auto _ : state)
    for (const SharedText& t : kShared) benchmark::DoNotOptimize(EvaluateExpression(t.ours));
  state.SetItemsProcessed(state.iterations() * std::size(kShared));
}
BENCHMARK(BM_SharedOurs);

// One parser for the whole run, as a calculator keeps its engine: SetExpr drops the compiled
// form, so every text is still parsed afresh, and building the parser's tables of functions and
// operators, which our engine has at compile time, is not counted as parsing.
void BM_SharedMuParser(benchmark::State& state) {
  mu::Parser parser;
  for (auto _ : state) {
    for (const SharedText& t : kShared) {
      parser.SetExpr(t.theirs);
      benchmark::DoNotOptimize(parser.Eval());
    }
  }
  state.SetItemsProcessed(state.iterations() * std::size(kShared));
}
BENCHMARK(BM_SharedMuParser);

// The two engines must agree on the shared texts, or the comparison means nothing.
bool SharedTextsAgree() {
  SetAngleMode(1);
  bool agree = true;
  for (const SharedText& t : kShared) {
    mu::Parser parser;
    parser.SetExpr(t.theirs);
    const double theirs = parser.Eval();
    const double ours = EvaluateExpression(t.ours);
    if (std::abs(ours - theirs) > 1e-12 * std::max(1.0, std::abs(theirs))) {
      std::fprintf(stderr, "engines disagree on %s: %.17g vs %.17g\n", t.theirs.c_str(), ours,
                   theirs);
      agree = false;
    }
  }
  return agree;
}

double SecondsPerRound(bool ours, int rounds) {
  mu::Parser parser;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i)
    for (const SharedText& t : kShared) {
      if (ours) {
        benchmark::DoNotOptimize(EvaluateExpression(t.ours));
      } else {
        parser.SetExpr(t.theirs);
        benchmark::DoNotOptimize(parser.Eval());
      }
    }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!SharedTextsAgree()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  const double ours = SecondsPerRound(true, 2000), theirs = SecondsPerRound(false, 2000);
  std::printf("shared texts, parsed afresh: %.0f ns ours, %.0f ns the other library, ratio %.2f\n",
              ours * 1e9 / std::size(kShared), theirs * 1e9 / std::size(kShared), theirs / ours);
  benchmark::Shutdown();
  return 0;
}
