// Time services: monotonic seconds, blocking delay, local time and date, test time source.
#include <QElapsedTimer>
#include <chrono>
#include <ctime>
#include <thread>

#include "platform/cvi.h"

namespace {

TimerSource g_timerSource = nullptr;
LocalTimeSource g_localSource = nullptr;

QElapsedTimer& Clock() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock;
}

// Read from the same clock as SecondsToNextSecond. time() reads the kernel's coarse clock, which
// turns its second up to a tick after the fine one: a wake asked for the next second would read the
// second before and wait a whole second more.
std::tm LocalNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm;
}

}  // namespace

double Timer() {
    if (g_timerSource) return g_timerSource();
    return double(Clock().nsecsElapsed()) / 1e9;
}

double SecondsToNextSecond() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto intoSecond = now - std::chrono::floor<std::chrono::seconds>(now);
    return 1.0 - std::chrono::duration<double>(intoSecond).count();
}

void Delay(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

int GetSystemTime(int* hours, int* minutes, int* seconds) {
    int h = 0, m = 0, s = 0;
    if (g_localSource) {
        g_localSource(&h, &m, &s);
    } else {
        std::tm tm = LocalNow();
        h = tm.tm_hour, m = tm.tm_min, s = tm.tm_sec;
    }
    if (hours) *hours = h;
    if (minutes) *minutes = m;
    if (seconds) *seconds = s;
    return 0;
}

int GetSystemDate(int* month, int* day, int* year) {
    std::tm tm = LocalNow();
    if (month) *month = tm.tm_mon + 1;
    if (day) *day = tm.tm_mday;
    if (year) *year = tm.tm_year + 1900;
    return 0;
}

void SetTimeSource(TimerSource timer, LocalTimeSource localTime) {
    g_timerSource = timer;
    g_localSource = localTime;
}
