// A serial port over bytes in memory, read the way the run-time reads a port with
// ComRdTerm (up to a line feed, which is removed, or a full buffer): the link tests,
// the fuzzer and the benchmark of reception feed bytes to the serial callback the
// program installs, RsDetectFlag, so what they check is the program's own path.
// Header only: the fuzz targets include it without the test library.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "link/SbComLink.h"
#include "platform/cvi.h"

namespace memport {

struct Port {
    std::string input;
    size_t piece = 0;  // most bytes one read returns (0: the reader's buffer), as a time-out cuts a line
};
inline Port& P() {
    static Port port;
    return port;
}

inline int Lire(char* buffer, int maxCount, bool* lineEnded) {
    std::string& in = P().input;
    size_t limit = size_t(maxCount);
    if (P().piece > 0) limit = std::min(limit, P().piece);
    const size_t lf = in.find('\n');
    *lineEnded = lf != std::string::npos && lf < limit;
    const size_t n = *lineEnded ? lf : std::min(limit, in.size());
    memcpy(buffer, in.data(), n);
    in.erase(0, n + (*lineEnded ? 1 : 0));
    return int(n);
}

inline int EnAttente() {
    return int(P().input.size());
}

inline int EtatLibre() {
    return 0;
}

// The caller's port operations with reading from memory (and a port status always
// clear when the caller has none).
inline SbComPortOps Ops(SbComPortOps base = {}) {
    if (!base.status) base.status = EtatLibre;
    base.read = Lire;
    base.waiting = EnAttente;
    return base;
}

// Bytes from the clock: queued, then the serial callback runs as on a line-feed event.
inline void Deliver(const char* bytes, size_t count) {
    P().input.append(bytes, count);
    RsDetectFlag(0, LWRS_RXFLAG, nullptr);
}

}  // namespace memport
