// Soak helpers: memory figures of this process and the replay of the stand-in
// clock's sent log into the rows and countdown state the program must show.
#include "tests/soak/SoakSupport.h"

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace soak {

namespace {

// The clock's seven-segment patterns by digit code (11 blank, 16 the minus bar).
constexpr std::array<int, 17> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F,
                                           0x6F, 0x77, 0x00, 0x39, 0x63, 0x79, 0x71, 0x01};

int Hex2(const std::string& p, size_t at) {
    if (p.size() < at + 2) return -1;
    return int(strtol(p.substr(at, 2).c_str(), nullptr, 16));
}

// A numeric column: blanks give 0.
bool Column(const std::string& p, size_t at, size_t width, int32_t* out) {
    std::string f = p.substr(at, width);
    if (f.find_first_not_of(' ') == std::string::npos) {
        *out = 0;
        return true;
    }
    char* end = nullptr;
    long v = strtol(f.c_str(), &end, 10);
    if (end == f.c_str()) return false;
    *out = int32_t(v);
    return true;
}

long long Units(const SbChronoRec& r) {
    return (r.Heures * 3600LL + r.Minutes * 60LL + r.Secondes) * 100000LL + r.Fraction;
}

// The difference row of a channel-1 time against the reference, from exact units.
SbChronoRec Difference(const SbChronoRec& reference, const SbChronoRec& time) {
    long long d = Units(time) - Units(reference);
    SbChronoRec out{};
    out.Type = 'D';
    out.Marque = 'T';
    out.Qualif = ' ';
    out.Canal = d > 0 ? '+' : d < 0 ? '-' : ' ';
    if (d < 0) d = -d;
    out.Heures = int32_t(d / 360000000LL);
    out.Minutes = int32_t(d / 6000000LL % 60);
    out.Secondes = int32_t(d / 100000LL % 60);
    out.Fraction = int32_t(d % 100000LL);
    return out;
}

void Countdown(const std::string& p, Expected* e) {
    const std::string type = p.substr(0, 2);
    if (type == "&D") {
        const int code = Hex2(p, 3), a = Hex2(p, 5), b = Hex2(p, 7), c = Hex2(p, 9);
        if (code == 0x80 && b >= 0 && b <= 16 && c >= 0 && c <= 16) {
            e->minus = a;
            e->digitB = kSegments[size_t(b)];
            e->digitC = kSegments[size_t(c)];
        } else if (code == 0x81) {
            e->colour = a;
        }
    } else if (type == "&C") {
        const int code = Hex2(p, 3), v = Hex2(p, 5);
        if (code == 0xF0) e->lights.fill(v);
        if (code >= 0x80 && code <= 0xBB) e->lights[size_t(code - 0x80)] = v;
    } else if (type == "&E") {
        e->status = Hex2(p, 3);
    } else if (type == "&N") {
        e->hourHand = Hex2(p, 3) / 3;
        e->minuteHand = Hex2(p, 5);
    }
}

}  // namespace

Memory MeasureMemory() {
    Memory m;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) m.rssKb = atol(line.c_str() + 6);
        if (line.rfind("VmHWM:", 0) == 0) m.hwmKb = atol(line.c_str() + 6);
    }
    const struct mallinfo2 mi = mallinfo2();
    m.heapKb = long((mi.uordblks + mi.hblkhd) / 1024);
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    m.cpu = double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
            (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
    return m;
}

bool ParseTime(const std::string& p, SbChronoRec* out) {
    if (p.size() < 36 || (p[0] != 'T' && p[0] != 'A') || !strchr("=+-*CNI", p[1])) return false;
    SbChronoRec r{};
    r.Type = p[0];
    r.Marque = p[1];
    r.Qualif = p[13];
    r.Canal = p[14];
    const bool ok = Column(p, 3, 4, &r.Concurrent) && Column(p, 8, 4, &r.Numero) &&
                    Column(p, 16, 2, &r.Heures) && Column(p, 19, 2, &r.Minutes) &&
                    Column(p, 22, 2, &r.Secondes) && Column(p, 25, 5, &r.Fraction) &&
                    Column(p, 31, 5, &r.Complement);
    if (ok) *out = r;
    return ok;
}

Expected Replay(const std::vector<std::string>& sent, const SbChronoRec& reference) {
    Expected e;
    e.reference = reference;
    for (const std::string& p : sent) {
        SbChronoRec r;
        if (p.rfind("TI", 0) == 0) {
            if (!ParseTime(p, &r)) continue;
            r.Type = 'I';
            r.Marque = 'T';
            e.reference = r;
            ++e.references;
        } else if (p.size() > 1 && p[1] != 'I' && ParseTime(p, &r)) {
            ++e.times;
            e.firstRow.push_back(e.rows.size());
            e.rows.push_back(r);
            // While the start program runs, a start comes with its reference and difference.
            if (e.status > 0 && (e.status & 0x02) && r.Canal == '1') {
                e.rows.push_back(e.reference);
                e.rows.push_back(Difference(e.reference, r));
            }
        } else if (p.size() > 2 && p[0] == '&') {
            Countdown(p, &e);
        }
    }
    e.firstRow.push_back(e.rows.size());
    return e;
}

std::string Describe(const SbChronoRec& r) {
    char text[128];
    snprintf(text, sizeof text, "[%c%c %04d %04d %c%c %02d:%02d:%02d.%05d %05d]", r.Type ? r.Type : '0',
             r.Marque ? r.Marque : '0', r.Concurrent, r.Numero, r.Qualif ? r.Qualif : '0',
             r.Canal ? r.Canal : '0', r.Heures, r.Minutes, r.Secondes, r.Fraction, r.Complement);
    return text;
}

std::string CompareRow(const SbChronoRec& actual, const SbChronoRec& expected) {
    if (expected.Type == 'D') {
        const bool same = actual.Type == 'D' && actual.Marque == 'T' && actual.Qualif == ' ' &&
                          actual.Canal == expected.Canal && actual.Concurrent == 0 && actual.Numero == 0 &&
                          actual.Complement == 0 && llabs(Units(actual) - Units(expected)) <= 1;
        if (same) return {};
    } else if (memcmp(&actual, &expected, sizeof actual) == 0) {
        return {};
    }
    return Describe(actual) + " instead of " + Describe(expected);
}

}  // namespace soak
