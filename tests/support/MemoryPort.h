// A serial port over bytes in memory, read as ComRdTerm reads a port (up to a line feed, which is
// removed, or a full buffer), feeding the program's own serial callback, RsDetectFlag: the link
// tests, the fuzzer and the reception benchmark. Header only: the fuzz targets have no test library.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "link/SbComFrame.h"
#include "link/SbComLink.h"
#include "platform/cvi.h"

namespace memport {

struct Port {
    std::string input;
    size_t piece = 0;  // most bytes one read returns (0: the reader's buffer), as a time-out cuts a line
};
inline Port portG;
inline Port& P() {
    return portG;
}

// The caller's port operations reading from memory (a port status always clear if it has none).
inline SbComPortOps Ops(SbComPortOps base = {}) {
    if (!base.status) base.status = [] { return 0; };
    base.read = [](char* buffer, int maxCount, bool* lineEnded) {
        std::string& in = P().input;
        const size_t limit = P().piece > 0 ? std::min(size_t(maxCount), P().piece) : size_t(maxCount);
        const size_t n = std::min({limit, in.size(), in.find('\n')});
        *lineEnded = n < limit && n < in.size();  // stopped short at a line feed
        memcpy(buffer, in.data(), n);
        in.erase(0, n + (*lineEnded ? 1 : 0));
        return int(n);
    };
    base.waiting = [] { return int(P().input.size()); };
    return base;
}

// Bytes from the clock: queued, then the serial callback runs as on a line-feed event.
inline void Deliver(const char* bytes, size_t count) {
    P().input.append(bytes, count);
    RsDetectFlag(0, LWRS_RXFLAG, nullptr);
}

// The clock at the memory port's far end: each frame written is kept; on the next event pass of the
// acknowledgement wait it answers with the next scripted reply, or "AK"; time moves with each pass and poll.
struct Clock {
    std::vector<std::string> frames;  // literal bytes of each frame written
    std::deque<std::string> replies;  // bytes sent after the next frame, one entry per frame
    bool autoAck = true;              // "AK" to every frame without a scripted reply
    int writeResult = 0;              // < 0: every write fails with that code
    int portStatus = 0;               // non-zero: the port's error status never clears
    double now = 100.0;               // seconds
    int waitPasses = 0;               // event passes made by the acknowledgement wait
    bool replyDue = false;
};
inline Clock clockG;
inline Clock& C() {
    return clockG;
}

// A frame as the clock sends it: payload, TAB, check value, CR, LF.
inline std::string Line(const std::string& payload) {
    char check[8];
    snprintf(check, sizeof check, "%04X", unsigned(SbComSomme(payload.c_str())) & 0xFFFF);
    return payload + "\t" + check + "\r\n";
}

inline SbComPortOps ClockOps() {
    SbComPortOps ops{};
    ops.write = [](const char* frame, int length) {
        if (C().writeResult < 0) return C().writeResult;
        C().frames.emplace_back(frame, size_t(length));
        C().replyDue = true;
        return length;
    };
    ops.status = [] { return C().portStatus; };
    ops.pumpEvents = [] {
        Clock& c = C();
        ++c.waitPasses;
        c.now += 0.25;
        if (!std::exchange(c.replyDue, false)) return;
        const std::string bytes = c.replies.empty() ? (c.autoAck ? Line("AK") : "") : c.replies.front();
        if (!c.replies.empty()) c.replies.pop_front();
        if (!bytes.empty()) Deliver(bytes.data(), bytes.size());
    };
    ops.clock = [] { return C().now += 0.001; };
    return Ops(ops);
}

}  // namespace memport
