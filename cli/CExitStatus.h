#pragma once

#include "CJobResult.h"

// Exit statuses that scripts can trust.
constexpr int EXIT_DONE = 0;
constexpr int EXIT_FAILED = 1;      // one or more files failed; the others were converted
constexpr int EXIT_USAGE = 2;       // wrong usage
constexpr int EXIT_DECLINED = 3;    // the overwrite question was answered Cancel
constexpr int EXIT_CANCELLED = 130; // interrupted by Ctrl-C; 128 + signal for the others

// interruptStatus: 128 + the signal that stopped the run.
inline int ExitStatusOf(JOBRESULT result, int interruptStatus = EXIT_CANCELLED) {
    switch (result) {
    case JOBRESULT_DONE:
        return EXIT_DONE;
    case JOBRESULT_DECLINED:
        return EXIT_DECLINED;
    case JOBRESULT_CANCELLED:
        return interruptStatus;
    default:
        return EXIT_FAILED;
    }
}
