#pragma once

#include <cstdint>

// The time a run has left, from the bytes it has done: the average rate
// once 2 seconds or 5 % of the run have passed, then a rate that follows
// changes over some seconds, so that the figure does not jump with every
// report. Times are seconds on any steady clock.
class CTimeLeft {
public:
    // A new run: nothing done yet, no total known.
    void Start(double now);
    // done of total bytes at now. A new total, or less done than before,
    // starts the estimate again.
    void Update(uint64_t done, uint64_t total, double now);
    // Leaves out of the rate a pause of seconds that just ended (a question
    // to the user, say).
    void Skip(double seconds);
    // Seconds left, or a negative value while there is no estimate.
    double GetSecondsLeft() const;

private:
    double m_start = 0;
    double m_lastTime = 0;
    double m_rate = 0;
    uint64_t m_baseDone = 0;
    uint64_t m_lastDone = 0;
    uint64_t m_done = 0;
    uint64_t m_total = 0;
    bool m_isReady = false;
};
