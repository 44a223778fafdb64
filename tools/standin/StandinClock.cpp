// The stand-in clock's model and its answers to each command.
#include "StandinClock.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace standin {

namespace {

std::string Fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* fmt, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

int Int(const std::vector<std::string>& w, size_t i, int fallback = 0) {
    if (i >= w.size()) return fallback;
    char* end = nullptr;
    long v = strtol(w[i].c_str(), &end, 10);
    return end && *end == 0 ? int(v) : fallback;
}

const int kPlain[] = {1, 2, 7, 9, 12, 16, 17, 18, 19, 20, 21, 101};
bool IsPlain(int no) {
    for (int p : kPlain)
        if (p == no) return true;
    return false;
}

}  // namespace

int SpeedOfCode(int code) {
    switch (code) {
        case 0:
            return 2400;
        case 3:
            return 38400;
        case 4:
            return 57600;
        default:
            return 9600;
    }
}

Clock::Clock() {
    plain = {{1, 2},  {2, 0},  {7, 2},  {9, 19}, {12, 1}, {16, 1},
             {17, 0}, {18, 1}, {19, 1}, {20, 1}, {21, 0}, {101, 1}};
    for (auto& in : inputs) in = {0, 0, 1};
    for (Program& p : programs) p.values = {60, 30, 60, 0, 0, -10, -5, 0, -5, -10, 0, 0};
    for (const char* k = "12345678abcdefg"; *k; ++k) gsm[*k] = "";
    gsm['5'] = "13001";
    gsm['e'] = "13001";
}

std::string Clock::Time(int channel, double secondsOfDay, char type, char mark) {
    int total = int(secondsOfDay);
    int fraction = int((secondsOfDay - total) * 100000.0);
    ++timeNumber;
    std::string t =
        Fmt("%c%c %04d %04d %c%c %02d:%02d:%02d.%05d %05d", type, mark, 0, timeNumber, ' ',
            char('0' + channel % 10), (total / 3600) % 24, (total / 60) % 60, total % 60, fraction, 0);
    runTimes[currentRun].push_back(t);
    return t;
}

std::vector<std::string> Clock::Answer(const std::string& payload, char* refuse) {
    std::vector<std::string> out;
    std::vector<std::string> w = Words(payload);
    *refuse = 0;
    if (w.empty()) {
        *refuse = 'F';
        return out;
    }
    const std::string& verb = w[0];
    int no = Int(w, 1, -1);
    if (verb == "SN") return {Fmt("SN %d QS310 V110", serial)};
    if (verb == "ID") return {Fmt("ID %d", serial)};
    if (verb == "EE") {
        messages = Int(w, 1) != 0;
        return out;
    }
    if (verb == "DL") {
        auto it = runTimes.find(Int(w, 1));
        if (it != runTimes.end()) out = it->second;
        return out;
    }
    if (verb == "RP") {
        if (IsPlain(no)) return {Fmt("&P %03d %d", no, plain[no])};
        int k = Int(w, 2, -1);
        switch (no) {
            case 3:
                return {Fmt("&P 003 %d %d %2d:%2d:%2d %5d", currentRun, nextRun, 9, 5, 0, runDay)};
            case 4:
            case 5:
            case 6:
                if (k < 1 || k > 4) break;
                return {Fmt("&P %03d %d %d", no, k, inputs[size_t(k - 1)][size_t(no - 4)])};
            case 8:
                return {Fmt("&P 008 %d%d %d", p8[0], p8[1], p8[2])};
            case 10:
                return {"&P 010 " + synchro};
            case 23:
                return {Fmt("&P 023 %d %d %d %d", fourth[0], fourth[1], fourth[2], fourth[3])};
            case 28:
                if (k < 1 || k > 3) break;
                return {Fmt("&P 028 %d %d", k, ext[size_t(k - 1)])};
            case 29:
                return {Fmt("&P 029 %d %d", pair[0], pair[1])};
            case 30: {
                if (w.size() < 3 || w[2].size() != 1 || !gsm.count(w[2][0])) break;
                return {Fmt("&P 030 %c %s", w[2][0], gsm[w[2][0]].c_str())};
            }
            case 31:
                if (k < 0 || k > 1) break;
                return {Fmt("&P 031 %d %s", k, eth[size_t(k)].c_str())};
            case 34:
                return {Fmt("&P 034 %x %d", gsmStatus, gsmValue)};
            case 35:
                return {Fmt("&P 035 %x %x %x %x", ethStatus[0], ethStatus[1], ethStatus[2], ethStatus[3])};
            default:
                if (no >= 102 && no <= 113 && k >= 0 && k <= 50) {
                    int v = programs[size_t(k)].values[size_t(no - 102)];
                    if (no == 113) return {Fmt("&P 113 %02d %02x", k, v & 0xFF)};
                    if (no >= 107) return {Fmt("&P %03d %02d %d", no, k, v & 0xFF)};
                    return {Fmt("&P %03d %02d %d", no, k, v)};
                }
        }
        *refuse = 'F';
        return out;
    }
    if (verb == "WP") {
        int k = Int(w, 2, -1);
        if (IsPlain(no) && w.size() >= 3) {
            plain[no] = Int(w, 2);
            if (no == 16) pendingSpeedCode = plain[16];
            return out;
        }
        switch (no) {
            case 4:
            case 5:
            case 6:
                if (k < 1 || k > 4 || w.size() < 4) break;
                inputs[size_t(k - 1)][size_t(no - 4)] = Int(w, 3);
                return out;
            case 23:
                if (w.size() < 6) break;
                for (size_t i = 0; i < 4; ++i) fourth[i] = Int(w, 2 + i);
                return out;
            case 26:
                return out;
            case 29:
                if (w.size() < 4) break;
                pair = {Int(w, 2), Int(w, 3)};
                return out;
            case 30: {
                if (w.size() < 3 || w[2].size() != 1) break;
                char key = w[2][0];
                if (key == 'C') {
                    for (auto& [k2, v] : gsm) v = (k2 == '5' || k2 == 'e') ? "0" : "";
                    return out;
                }
                if (!gsm.count(key)) break;
                // The item is everything after "WP 030 k ".
                gsm[key] = payload.size() > 9 ? payload.substr(9) : "";
                return out;
            }
            case 31:
                if (k < 0 || k > 1 || w.size() < 4) break;
                eth[size_t(k)] = w[3];
                return out;
            default:
                if (no >= 102 && no <= 113 && k >= 0 && k <= 50 && w.size() >= 4) {
                    int v = no == 113 ? int(strtol(w[3].c_str(), nullptr, 16)) : Int(w, 3);
                    if (no >= 107) v = int(static_cast<signed char>(v & 0xFF));
                    programs[size_t(k)].values[size_t(no - 102)] = v;
                    return out;
                }
        }
        *refuse = 'F';
        return out;
    }
    if (verb == "WC") {
        switch (no) {
            case 1:
                if (currentRun == 0) return out;
                out.push_back(Fmt("CL %d", currentRun));
                currentRun = 0;
                return out;
            case 2:
                if (currentRun != 0) out.push_back(Fmt("CL %d", currentRun));
                currentRun = nextRun;
                nextRun = nextRun % 99 + 1;
                out.push_back(Fmt("OP %d T%d", currentRun, nextRun));
                return out;
            case 3:
                plain[2] = Int(w, 2);
                return out;
            case 4:
                plain[101] = Int(w, 2);
                return out;
            case 5:
                if (Int(w, 2) != 58203) break;
                runTimes.clear();
                currentRun = 0;
                nextRun = 1;
                timeNumber = 0;
                return out;
            case 7:
                if (w.size() < 5) break;
                synchro = Fmt("%d 0 %s %s", Int(w, 2), w[3].c_str(), w[4].c_str());
                return out;
            case 8:  // an impulse on an input: the clock measures a time there
                if (Int(w, 2) < 1 || Int(w, 2) > 4) break;
                out.push_back(Time(Int(w, 2), nowOfDay));
                return out;
            case 9:
            case 10:
            case 11:
                return out;
            case 12: {
                auto it = runTimes.find(Int(w, 2));
                if (it != runTimes.end()) out = it->second;
                return out;
            }
            default:
                break;
        }
        *refuse = 'F';
        return out;
    }
    *refuse = 'F';
    return out;
}

}  // namespace standin
