// SPDX-License-Identifier: GPL-3.0-or-later
// Runs code in a child process whose positioned reads all fail with an I/O error, as a failing
// disk would make them; the child's reads stay broken until it ends.
#pragma once
#ifndef __linux__
// Only Linux lets a process filter its own system calls.
template <typename Attempt>
int RunWithFailingReads(Attempt) {
  return 2;
}
#else
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <iterator>

// Returns 0 when attempt returned true in the child, 1 when it returned false or the child died,
// and 2 when this system lets no process filter its own system calls.
template <typename Attempt>
int RunWithFailingReads(Attempt attempt) {
  pid_t child = fork();
  if (child == 0) {
    sock_filter failPositionedReads[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_pread64, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(std::size(failPositionedReads)),
                          failPositionedReads};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
      _exit(2);
    _exit(attempt() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
#endif
