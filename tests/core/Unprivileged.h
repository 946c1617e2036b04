// Permission checks do not apply to root, and the tests may run as root:
// while a TUnprivileged lives, the process acts as the unprivileged user
// "nobody", so a read-only folder is read-only for it too.
#pragma once

#include <unistd.h>

class TUnprivileged {
  public:
    TUnprivileged() {
        if (::geteuid() != 0) return;
        dropped_ = ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
        if (!dropped_) (void)::setegid(0);
    }
    ~TUnprivileged() {
        if (!dropped_) return;
        (void)::seteuid(0);
        (void)::setegid(0);
    }
    TUnprivileged(const TUnprivileged&) = delete;
    TUnprivileged& operator=(const TUnprivileged&) = delete;

    // Whether permission checks now apply.
    static bool Effective() { return ::geteuid() != 0; }

  private:
    static constexpr uid_t kNobody = 65534;
    bool dropped_ = false;
};
