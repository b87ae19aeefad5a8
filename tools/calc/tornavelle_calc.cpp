// tornavelle-calc: evaluates calculation texts from the command line or standard input, for
// scripting and for checking the engine against other tools.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "engine/evaluator.h"
#include "platform/numbers.h"
#include "platform/unicode.h"

namespace {

const char kUsage[] =
    "usage: tornavelle-calc [--degrees | --radians] [--tsv] [--] [TEXT...]\n"
    "Evaluates each TEXT, or each line of standard input when no TEXT is given (UTF-8).\n"
    "  --degrees   trigonometric functions take and give degrees\n"
    "  --radians   trigonometric functions take and give radians (the default)\n"
    "  --tsv       print: input <tab> value <tab> error kind\n";

const char* const kErrorNames[] = {"", "missing operand", "division by zero", "unknown operator",
                                   "unknown function", "outside the domain"};

struct Options {
  bool tsv = false;
  std::vector<std::string> texts;
  bool fromArguments = false;
};

void PrintResult(const Options& options, const std::string& input) {
  const double value = EvaluateExpression(Utf8ToUtf16(input));
  const int kind = lastErrorKind;
  const std::string number = ShortestDoubleText(value);
  if (options.tsv) {
    std::string shown = input;
    for (char& c : shown)
      if (c == '\t') c = ' ';
    std::printf("%s\t%s\t%d\n", shown.c_str(), number.c_str(), kind);
  } else if (kind == kNoError) {
    std::printf("%s = %s\n", input.c_str(), number.c_str());
  } else {
    std::printf("%s = %s   (error %d: %s)\n", input.c_str(), number.c_str(), kind, kErrorNames[kind]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  SetAngleMode(1);
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg == "--degrees") {
      SetAngleMode(2);
    } else if (!optionsEnded && arg == "--radians") {
      SetAngleMode(1);
    } else if (!optionsEnded && arg == "--tsv") {
      options.tsv = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      std::fprintf(stderr, "tornavelle-calc: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    } else {
      // A text may begin with "-" (as in -(2+3)); only "--" words are options.
      options.texts.push_back(arg);
      options.fromArguments = true;
    }
  }
  if (options.fromArguments) {
    for (const std::string& text : options.texts) PrintResult(options, text);
    return 0;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    PrintResult(options, line);
  }
  return 0;
}
