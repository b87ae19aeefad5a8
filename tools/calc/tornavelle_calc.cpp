// SPDX-License-Identifier: GPL-3.0-or-later
// tornavelle-calc: evaluates calculation texts from the command line or standard input, for
// scripting and for checking the engine against other tools.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/spelling_table.h"
#include "display/answer_format.h"
#include "display/spelling_replacement.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/process.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"

namespace {

const char kUsage[] =
    "usage: tornavelle-calc [--degrees | --radians] [--tsv] [--display] [--language NAME]\n"
    "                       [--data DIR] [--] [TEXT...]\n"
    "       tornavelle-calc --help | --version\n"
    "Evaluates each TEXT, or each line of standard input when no TEXT is given (UTF-8), and\n"
    "prints the calculation with its answer line as the history panel shows it.\n"
    "  --degrees        trigonometric functions take and give degrees\n"
    "  --radians        trigonometric functions take and give radians (the default)\n"
    "  --tsv            print: input, value, error kind, number text, exact form (tab-separated)\n"
    "  --display        read each TEXT as if typed on the expression line in the chosen\n"
    "                   language: typed spellings become what the line shows (\"racine(16)\"\n"
    "                   is \"√(16)\", \"2*pi\" is \"2×π\", \"rep\" is \"rép\"), which is printed\n"
    "                   in place of TEXT outside --tsv, then translated as the result key\n"
    "                   does; the answer word stands for the latest answer without error\n"
    "                   (0 at first), and a text ending in \"->\" and a letter (\"2+3->a\")\n"
    "                   stores its answer in that memory letter for the texts after it\n"
    "  --language NAME  the interface texts of DIR/Lng-Tornavelle/NAME.Txt over the French ones\n"
    "                   (default Francais)\n"
    "  --data DIR       the folder holding Lng-Tornavelle (default: the installed languages,\n"
    "                   or the source tree's data when run from a build)\n"
    "  --help, -h       print this help and exit\n"
    "  --version        print the version and the licence, and exit\n";

// What --version says after the version, as GNU programs say it.
const char kLicenceNotice[] =
    "Copyright 2026 The Tornavelle developers\n"
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

struct Options {
  bool tsv = false;
  bool display = false;
  std::string language = "Francais";
  std::string dataFolder;          // empty: DefaultDataFolder()
  std::vector<std::string> texts;  // none: the lines of standard input
};

// Tabs and line breaks would split a row of the table, and a NUL would end the printed text
// early, showing less of the input than was evaluated.
std::string OneCell(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r' || c == '\0') c = ' ';
  return text;
}

// The answer that the answer word of a displayed calculation stands for, as a number text. As in
// the history, a calculation that failed leaves it to the one before.
std::u16string previousAnswer = u"0";

void PrintResult(const Options& options, const std::string& input) {
  HistoryEntry entry;
  entry.expression = Utf8ToUtf16(input);
  if (options
          .display) {  // as the result key does: the line's final rewriting, then the translation
    int32_t caret = static_cast<int32_t>(entry.expression.size()), anchor = caret;
    RewriteSpellings(entry.expression, caret, anchor, SpellingPass::kFinal);
  }
  std::u16string_view calculation = entry.expression;
  const int32_t memory =
      options.display ? FindStoreTarget(entry.expression, TextOf(kStoreArrowText), &calculation)
                      : 0;
  const std::u16string text =
      options.display ? TranslateCalculation(memory > 0 ? calculation : entry.expression,
                                             TextOf(kComparedAnswerWord), previousAnswer)
                      : entry.expression;
  entry.answer = EvaluateExpression(text);
  entry.errorKind = lastErrorKind;
  if (entry.errorKind == kNoError && memory > 0) memories[memory] = entry.answer;
  if (entry.errorKind == kNoError) {
    BuildExactForm(entry);
    previousAnswer = PlainDecimalText(entry.answer);
  }
  if (options.tsv) {
    std::printf("%s\t%s\t%d\t%s\t%s\n", OneCell(input).c_str(),
                ShortestDoubleText(entry.answer).c_str(), static_cast<int>(entry.errorKind),
                Utf16ToUtf8(FormatAnswerNumber(entry.answer)).c_str(),
                OneCell(Utf16ToUtf8(entry.exactForm)).c_str());
  } else {
    // As the history panel shows it: the calculation, then its answer line.
    const std::string shown = options.display ? Utf16ToUtf8(entry.expression) : input;
    std::printf("%s  \u2192  %s\n", OneCell(shown).c_str(),
                Utf16ToUtf8(ComposeAnswerLine(entry)).c_str());
  }
}

// The installed languages when this program lies in an installed tree, else the source tree's.
std::string DefaultDataFolder() {
  std::string own = Utf16ToUtf8(OwnExecutablePath());
  const size_t slash = own.find_last_of("/\\");
  if (slash != std::string::npos) {
    const std::string installed = own.substr(0, slash + 1) + TORNAVELLE_SHIPPED_FROM_BIN;
    if (FileExists(installed + "/Lng-Tornavelle/Francais.Txt")) return installed;
  }
  return TORNAVELLE_DATA_DIR;
}

// Fills the text table from the French file and the chosen language's file of the data folder.
// Returns an error message, or "" when the texts are loaded.
std::string LoadTexts(const Options& options) {
  const std::string folder =
      (options.dataFolder.empty() ? DefaultDataFolder() : options.dataFolder) + "/Lng-Tornavelle";
  for (const std::string& name : {std::string("Francais"), options.language})
    if (FindFileIgnoringExtensionCase(folder + "/" + name + ".Txt").empty())
      return "no language file " + name + ".Txt in " + folder;
  if (!ReadLanguageTexts(Utf8ToUtf16(folder), Utf8ToUtf16(options.language)))
    return "cannot read the language files in " + folder;
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  SetAngleMode(1);
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    // A text may begin with "-" (as in -(2+3)); only "--" words and "-h" are options.
    if (optionsEnded || (arg != "-h" && !arg.starts_with("--"))) {
      options.texts.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--degrees") {
      SetAngleMode(2);
    } else if (arg == "--radians") {
      SetAngleMode(1);
    } else if (arg == "--tsv") {
      options.tsv = true;
    } else if (arg == "--display") {
      options.display = true;
    } else if (arg == "--language" || arg == "--data") {
      if (i + 1 == argc || argv[i + 1][0] == '\0') {
        std::fprintf(stderr, "tornavelle-calc: %s needs a value\n%s", arg.c_str(), kUsage);
        return 2;
      }
      (arg == "--language" ? options.language : options.dataFolder) = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      std::puts("tornavelle-calc " TORNAVELLE_VERSION);
      std::fputs(kLicenceNotice, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "tornavelle-calc: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (const std::string error = LoadTexts(options); !error.empty()) {
    std::fprintf(stderr, "tornavelle-calc: %s\n", error.c_str());
    return 2;
  }
  if (options.display) FillSpellingTable();
  if (!options.texts.empty()) {
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
