// SPDX-License-Identifier: GPL-3.0-or-later
// Runs code in a child process under another user's identity, as a second account on the same
// machine would run it: for what the program must keep from other users, and for a folder its own
// user may not write (root writes everywhere, so such a test needs the second account).
#pragma once
#ifndef __linux__
template <typename Attempt>
int RunAsOtherUser(Attempt) {
  return 2;
}
#else
#include <sys/wait.h>
#include <unistd.h>

// The account the child takes: nobody's, present on every Debian system.
constexpr uid_t kOtherUserId = 65534;

// Returns 0 when attempt returned true in the child, 1 when it returned false or the child died,
// and 2 when this process may not take another identity (it does not run as root).
template <typename Attempt>
int RunAsOtherUser(Attempt attempt) {
  if (geteuid() != 0) return 2;
  pid_t child = fork();
  if (child == 0) {
    if (setgid(kOtherUserId) != 0 || setuid(kOtherUserId) != 0) _exit(2);
    _exit(attempt() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
#endif
