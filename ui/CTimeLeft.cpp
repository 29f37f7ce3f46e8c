#include "CTimeLeft.h"

#include <cmath>

namespace {

constexpr double READY_SECONDS = 2;
constexpr uint64_t READY_PARTS = 20; // 5 %
// Samples closer than this say more about the reports than the rate.
constexpr double SAMPLE_SECONDS = 0.5;
// How fast the rate follows a change.
constexpr double SMOOTH_SECONDS = 5;

} // namespace

void CTimeLeft::Start(double now) {
    *this = CTimeLeft();
    m_start = m_lastTime = now;
}

void CTimeLeft::Update(uint64_t done, uint64_t total, double now) {
    if (total != m_total || done < m_lastDone) {
        Start(now);
        m_total = total;
        m_baseDone = m_lastDone = m_done = done;
        return;
    }
    m_done = done;
    const uint64_t doneSinceStart = done - m_baseDone;
    const double elapsed = now - m_start;
    if (!m_isReady) {
        if (total == 0 || doneSinceStart == 0 || elapsed <= 0 ||
            (elapsed < READY_SECONDS && doneSinceStart * READY_PARTS < total - m_baseDone)) {
            return;
        }
        m_rate = double(doneSinceStart) / elapsed;
        m_isReady = true;
    } else {
        const double step = now - m_lastTime;
        if (step < SAMPLE_SECONDS) {
            return;
        }
        const double rate = double(done - m_lastDone) / step;
        m_rate += (1 - std::exp(-step / SMOOTH_SECONDS)) * (rate - m_rate);
    }
    m_lastTime = now;
    m_lastDone = done;
}

void CTimeLeft::Skip(double seconds) {
    m_start += seconds;
    m_lastTime += seconds;
}

double CTimeLeft::GetSecondsLeft() const {
    if (!m_isReady || m_rate <= 0) {
        return -1;
    }
    return m_total > m_done ? double(m_total - m_done) / m_rate : 0;
}
