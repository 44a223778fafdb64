// libFuzzer target: arbitrary bytes loaded as the link record "QS-310_V1-1.sbcnf" or
// the application record "QS-310_V1-1.q31cnf" (first byte chooses), as start-up loads
// them: every text field of either record ends within its field.
#include "app/Q31ConfigFile.h"
#include "fuzz/files/FuzzFile.h"
#include "link/SbComConfig.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"

namespace {

void VerifierLien(const SbCom& r) {
    fuzzfile::Termine(r.netAddress);
    fuzzfile::Termine(r.family);
    fuzzfile::Termine(r.version);
    for (const auto& p : r.progs) fuzzfile::Termine(p.name);
    fuzzfile::Termine(r.ethernet.address0);
    fuzzfile::Termine(r.ethernet.address1);
    for (const auto& g : r.gsm.first)
        for (const auto& t : g.text) fuzzfile::Termine(t);
    for (const auto& g : r.gsm.second)
        for (const auto& t : g.text) fuzzfile::Termine(t);
    fuzzfile::Termine(r.gsm.common);
}

void VerifierApplication(const Q31Config& r) {
    const FsdParam& d = r.secondDisplay;
    fuzzfile::Termine(d.text1);
    fuzzfile::Termine(d.text2);
    fuzzfile::Termine(d.background);
    for (const auto& logo : d.logos) fuzzfile::Termine(logo.path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1) {
        const std::string path = fuzzfile::Ecrire("QS-310_V1-1.q31cnf", data + 1, size - 1);
        static Q31Config record;
        Q31Defaut(&record);
        Q31Charger(path.c_str(), &record);
        VerifierApplication(record);
    } else {
        const std::string path = fuzzfile::Ecrire("QS-310_V1-1.sbcnf", data + 1, size - 1);
        static SbCom record;
        SbComValDefaut(&record);
        SbComCharger(path.c_str(), &record);
        VerifierLien(record);
    }
    return 0;
}
