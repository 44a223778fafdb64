// libFuzzer target: arbitrary bytes from the line, read in pieces of any size,
// through the serial callback the program installs (line reader, check, every
// decoder), then every payload through the decoders unchecked.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "chrono/SbChrono.h"
#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComLink.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/support/MemoryPort.h"

namespace {

// Also decode whatever each line holds before its TAB, unchecked, so the decoders
// see every payload the fuzzer makes rather than only those with a right sum.
void DecoderSansControle(const uint8_t* data, size_t size) {
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    while (p < end) {
        const char* eol = static_cast<const char*>(memchr(p, '\n', size_t(end - p)));
        if (!eol) eol = end;
        char payload[kSbComMessageMax] = {};
        int n = 0;
        while (p + n < eol && n < kSbComMessageMax - 1 && p[n] != '\t') {
            payload[n] = p[n];
            ++n;
        }
        SbComDecoderMessage(payload);
        p = eol + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = false;
    if (!started) {
        SbComValDefaut(&SbComG);
        static const SbComPortOps ops = memport::Ops();
        SbComInstallerPort(&ops);
        started = true;
    }
    SbComG.linkState = 1;
    // The first byte picks how many bytes a read may return (0: no limit), as the
    // port's time-out cuts a line that comes slowly.
    memport::P() = memport::Port{};
    memport::P().piece = size ? size_t(data[0] % 17) : 0;
    const size_t skip = size ? 1 : 0;
    memport::Deliver(reinterpret_cast<const char*>(data) + skip, size - skip);
    if (memport::P().input.size() != 0) __builtin_trap();  // the callback reads every byte
    DecoderSansControle(data + skip, size - skip);
    // Records stay within their bounds: the text fields remain terminated.
    if (strnlen(SbComG.family, sizeof SbComG.family) == sizeof SbComG.family) __builtin_trap();
    if (strnlen(SbCrG.gsmText, sizeof SbCrG.gsmText) == sizeof SbCrG.gsmText) __builtin_trap();
    // Reset the sticky state so every input starts alike; the times store keeps no history here.
    SbChronoViderRecus();
    SbComG.linkState = 0;
    SbComDeplanter();
    return 0;
}
