// libFuzzer target: arbitrary bytes loaded as a ".q31set" parameter file or a ".q31gsm"
// GSM file (first byte chooses): the block takes the file's bytes, keeps the rest of
// its former content, and every GSM text stays terminated.
#include <cstring>

#include "fuzz/files/FuzzFile.h"
#include "link/SbComConfig.h"
#include "records/SbComRecord.h"

namespace {

template <typename Block>
void Verifier(const Block& before, const Block& after, size_t fileSize) {
    const size_t kept = fileSize < sizeof(Block) ? fileSize : sizeof(Block);
    // Bytes beyond the file's end are the block's former ones (text ends aside).
    const auto* a = reinterpret_cast<const unsigned char*>(&before);
    const auto* b = reinterpret_cast<const unsigned char*>(&after);
    if (sizeof(Block) == sizeof(SbComParams) && std::memcmp(a + kept, b + kept, sizeof(Block) - kept) != 0)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool gsm = data[0] & 1;
    const std::string path = fuzzfile::Ecrire(gsm ? "in.q31gsm" : "in.q31set", data + 1, size - 1);
    if (gsm) {
        SbComGsm block;
        SbComValDefGsm(&block);
        const SbComGsm before = block;
        SbComChargerGsm(path.c_str(), &block);
        Verifier(before, block, size - 1);
        for (const auto& g : block.first)
            for (const auto& t : g.text) fuzzfile::Termine(t);
        for (const auto& g : block.second)
            for (const auto& t : g.text) fuzzfile::Termine(t);
        fuzzfile::Termine(block.common);
    } else {
        SbComParams block;
        SbComValDefParam(&block);
        const SbComParams before = block;
        SbComChargerParam(path.c_str(), &block);
        Verifier(before, block, size - 1);
    }
    return 0;
}
