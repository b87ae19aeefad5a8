// Tornavelle: the calculator, in its working directory.
#include <cstdio>

#include "app/startup.h"

int main() {
  if (!StartUp()) {
    std::fputs("tornavelle: no desktop to show the calculator on (is DISPLAY set?)\n", stderr);
    return 1;
  }
  return 0;
}
