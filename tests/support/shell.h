// SPDX-License-Identifier: GPL-3.0-or-later
// Shell commands for the tests that drive a desktop with its own tools (xdotool, xclip).
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Runs a shell command and waits for it; returns its exit status (-1 when it did not exit).
inline int RunShell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a shell command and returns what it wrote on its standard output.
inline std::string ShellOutput(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}
