// The language dialog, shown through the platform layer.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/unicode.h"
#include "settings/language.h"

namespace {

// The dialog's title and button are the same in every language: it runs before any is loaded.
constexpr char16_t kDialogTitle[] = u"Langue / Language";

// The file name with every ".txt" removed, in any letter case.
std::u16string LanguageOfFile(std::u16string name) {
  for (size_t found; (found = LowerCaseText(name).find(u".txt")) != std::u16string::npos;)
    name.erase(found, 4);
  return name;
}

}  // namespace

bool ChooseLanguage() {
  std::vector<std::string> files;
  if (ListFolder(Utf16ToUtf8(kLanguageFolder), ".txt", &files)) {
    std::vector<std::u16string> languages;
    for (const std::string& file : files) languages.push_back(LanguageOfFile(Utf8ToUtf16(file)));
    std::u16string wanted = languageName.empty() ? kBaseLanguage : languageName;
    auto preselected = std::find(languages.begin(), languages.end(), wanted);
    std::optional<std::u16string> chosen = ShowLanguageDialog(
        kDialogTitle, languages,
        preselected == languages.end() ? -1 : static_cast<int>(preselected - languages.begin()));
    if (chosen && *chosen != languageName) {
      languageName = *chosen;
      SaveLanguageChoice();
      // The new copy claims the folder as it starts, which this one still holds.
      ReleaseWorkingFolder();
      if (StartNewCopy()) {
        EndProgram(0);
        return false;
      }
      // Without a new copy, this one goes on with the new choice, as the copy would have,
      // unless a copy started meanwhile took the folder (and was asked to the front).
      if (ClaimWorkingFolder() == FolderClaim::kOtherCopy) {
        EndProgram(0);
        return false;
      }
    }
  }
  if (languageName.empty()) {
    EndProgram(0);
    return false;
  }
  return true;
}
