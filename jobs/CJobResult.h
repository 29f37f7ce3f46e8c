#pragma once

// How a conversion run ended.
enum JOBRESULT {
    JOBRESULT_DONE,      // every file converted
    JOBRESULT_FAILED,    // one or more files failed; the host was told which
    JOBRESULT_DECLINED,  // the overwrite question was answered Cancel
    JOBRESULT_CANCELLED, // the cancel flag stopped the run
};
