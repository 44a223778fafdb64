// libFuzzer target: arbitrary bytes from the line, in arbitrary chunks, through the
// line reader, the check and every decoder.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "chrono/SbChrono.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComFrame.h"
#include "link/SbComRecord.h"
#include "link/SbCr.h"

namespace {

void Livrer(void*, const char* text, int length, bool tooLong) {
    if (SbComAccepterLigne(text, length, tooLong, SbComMessageG)) SbComDecoder();
    // Also decode whatever the line holds before its TAB, unchecked, so the decoders
    // see every payload the fuzzer makes rather than only those with a right sum.
    char payload[kSbComMessageMax] = {};
    int n = 0;
    while (n < length && n < kSbComMessageMax - 1 && text[n] != '\t') {
        payload[n] = text[n];
        ++n;
    }
    SbComDecoderMessage(payload);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = false;
    if (!started) {
        SbComValDefaut(&SbComG);
        started = true;
    }
    SbComLecteurLignes reader;
    // The first byte picks the chunk size, as the port would deliver bytes.
    size_t chunk = size ? size_t(data[0] % 17) + 1 : 1;
    const char* bytes = reinterpret_cast<const char*>(data);
    for (size_t i = size ? 1 : 0; i < size; i += chunk)
        reader.Alimenter(bytes + i, size - i < chunk ? size - i : chunk, Livrer, nullptr);
    // Records stay within their bounds: the text fields remain terminated.
    if (strnlen(SbComG.family, sizeof SbComG.family) == sizeof SbComG.family) __builtin_trap();
    if (strnlen(SbCrG.gsmText, sizeof SbCrG.gsmText) == sizeof SbCrG.gsmText) __builtin_trap();
    // Reset the sticky state so every input starts alike; the times store keeps no history here.
    SbChronoViderRecus();
    SbComG.linkState = 0;
    SbComDeplanter();
    return 0;
}
