// Process descriptors: a handle on one process that a reused id can never
// redirect. Called through syscall(), since this C library's header for
// them cannot be used from C++ (its declarations lack C linkage).
#pragma once

#include <signal.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

inline int OpenPidFd(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

inline bool SendSignalToPidFd(int pidfd, int signal) {
    return syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0) == 0;
}
