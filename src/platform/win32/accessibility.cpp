#include "platform/accessibility.h"
void SetAccessibleNodes(WindowHandle, const std::vector<AccessibleNode>&) {}
void AnnounceAccessibly(WindowHandle, std::u16string_view) {}
