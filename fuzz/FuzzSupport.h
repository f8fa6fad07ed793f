// Shared by the harnesses: named invariant checks and the host's bookkeeping around each input.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "TmxHost.h"

// A broken invariant aborts, naming itself.
#define Check(condition) \
    ((condition)         \
         ? void()        \
         : (std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition), std::abort()))

// Brackets one input: a fresh host every 10000 inputs, and afterwards its records dropped so that
// they do not grow over millions of runs. A failed precondition on valid arguments is a finding.
class HostRound {
public:
    HostRound() {
        static unsigned runs = 0;
        if (runs++ % 10000 == 0) {
            tmxhost::Reset();
        }
    }
    ~HostRound() {
        Check(tmxhost::TakeReports().empty());
        tmxhost::ClearCalls();
        tmxhost::TakeTraces();
    }
};
