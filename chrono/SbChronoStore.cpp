// Times store: the block of times, their ".q31tps" file and the store file that
// is kept current while times arrive.
#include <algorithm>
#include <cstring>
#include <vector>

#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "chrono/SbChronoTab.h"
#include "lib/StrBuf.h"
#include "link/SbComDecoder.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/FileNotices.h"

SbChronoTab SbChronoTabG;

namespace {
// Every time the clock sends reaches the store through the decoder's time receiver.
[[maybe_unused]] const bool kTimeReceiverRegistered = (SbComSetTimeReceiver(SbChronoQ31Traiter), true);
}  // namespace

namespace {

std::vector<SbChronoRec>& Recus() {
    static std::vector<SbChronoRec> list;
    return list;
}

constexpr size_t kCountSize = sizeof(int32_t);
static_assert(kCountSize + sizeof(SbChronoRec) * SB_CHRONO_MAX == 319972, "largest .q31tps file");

// Times are taken while the link is open in any mode or the simulated clock runs.
bool Connecte() {
    return SbComG.linkState != 0 || SbComG.simulation != 0;
}

void CheminFichier(const char* folder, const char* file, char out[260]) {
    if (folder && folder[0])
        StrFormat(out, 260, "%s\\%s", folder, file ? file : "");
    else
        StrCopy(out, 260, file);
}

// Writes the store as a ".q31tps" image; true when the file was replaced.
bool Ecrire(const char* path) {
    const int32_t n = SbChronoTabG.slots ? SbChronoTabG.count : 0;
    std::vector<char> image(kCountSize + sizeof(SbChronoRec) * size_t(n));
    std::memcpy(image.data(), &n, kCountSize);
    if (n > 0)
        std::memcpy(image.data() + kCountSize, &(*SbChronoTabG.slots)[1], sizeof(SbChronoRec) * size_t(n));
    return FileWriteAtomic(path, image.data(), image.size()) == 0;
}

// "Chronos\\Chrono.q31tps" -> "Chronos\\Chrono_20261206-075900<suffix>.q31tps" (a free name).
void DatedName(const char* path, const char* suffix, char out[260]) {
    char base[260];
    StrCopy(base, path);
    char ext[260] = "";
    char* dot = strrchr(base, '.');
    if (dot && !strpbrk(dot, "\\/")) {  // an extension of the file name, not of a folder
        StrCopy(ext, dot);
        *dot = 0;
    }
    int h = 0, mi = 0, s = 0, mo = 0, d = 0, y = 0;
    GetSystemDate(&mo, &d, &y);
    GetSystemTime(&h, &mi, &s);
    StrFormat(out, 260, "%s_%04d%02d%02d-%02d%02d%02d%s%s", base, y, mo, d, h, mi, s, suffix, ext);
    for (int i = 2; i < 100 && FileExists(out, nullptr) == 1; ++i)
        StrFormat(out, 260, "%s_%04d%02d%02d-%02d%02d%02d-%d%s%s", base, y, mo, d, h, mi, s, i, suffix, ext);
}

// Keeps the file a previous run left (unless it holds an empty store) under a
// dated name. FILE_WRITE_OK when there is nothing to keep or it is kept, else why
// it could not be kept (the file is then left as it is).
int ConserverPrecedent(const char* path) {
    long size = 0;
    if (FileExists(path, &size) != 1) return FILE_WRITE_OK;
    if (size < 0 || size > (64L << 20)) return FILE_WRITE_OTHER;
    std::vector<char> bytes(size_t(size) + 1);
    const long n = FileReadUpTo(path, bytes.data(), bytes.size());
    if (n < 0) return FILE_WRITE_DENIED;
    int32_t count = 0;
    if (n == long(kCountSize)) std::memcpy(&count, bytes.data(), kCountSize);
    if (n == 0 || (n == long(kCountSize) && count == 0)) return FILE_WRITE_OK;
    char kept[260];
    DatedName(path, "", kept);
    // The atomic write has the copy flushed to the disk before it returns.
    if (FileWriteAtomic(kept, bytes.data(), size_t(n)) == 0) return FILE_WRITE_OK;
    const int reason = FileLastWriteError();
    return reason == FILE_WRITE_OK ? FILE_WRITE_OTHER : reason;
}

void Upkeep();

// Writes the store file. The operator is told when it starts failing (once: the
// times stay in memory and it is tried again every SB_CHRONO_DELAI_SAUVEGARDE) and
// when it is written again.
bool WriteStoreFile() {
    if (Ecrire(SbChronoTabG.file)) {
        SbChronoTabG.changed = false;
        if (SbChronoTabG.writeFailed)
            SbNoteFileNotice(SbFileNotice::TimesSavedAgain, SbChronoTabG.file, FILE_WRITE_OK);
        SbChronoTabG.writeFailed = false;
        return true;
    }
    SbChronoTabG.changed = true;
    if (!SbChronoTabG.writeFailed)
        SbNoteFileNotice(SbFileNotice::TimesNotSaved, SbChronoTabG.file, FileLastWriteError());
    SbChronoTabG.writeFailed = true;
    SbChronoTabG.firstChange = Timer();
    ScheduleCall(SB_CHRONO_DELAI_SAUVEGARDE, Upkeep);
    return false;
}

// The layer's timer: the store file is written from whatever loop runs, the error
// box, a dialog or a command's acknowledgement wait as well as the main loop.
void Upkeep() {
    if (SbChronoTabG.changed && SbChronoTabG.slots && SbChronoTabG.file[0]) WriteStoreFile();
}

// Adds one record at the end of the store and, with a table attached, its row
// (a new background band when newBand is set).
void SbChronoAjouter(const SbChronoRec& rec, bool newBand) {
    if (!SbChronoTabG.slots || SbChronoTabG.count >= SB_CHRONO_MAX || !Connecte()) return;
    const int row = ++SbChronoTabG.count;
    (*SbChronoTabG.slots)[size_t(row)] = rec;
    SbChronoModifie();
    if (SbChronoTableAttachee()) {
        SbChronoInsererLigne(row, newBand);
        SbChronoRemplirLigne(row, rec);
    }
}

}  // namespace

void SbChronoModifie() {
    if (SbChronoTabG.changed) return;
    SbChronoTabG.changed = true;
    SbChronoTabG.firstChange = Timer();
    ScheduleCall(SB_CHRONO_DELAI_SAUVEGARDE, Upkeep);
}

void SbChronoOuvrir(const char* folder, const char* file, int panel, int control) {
    SbChronoTabG.panel = panel;
    SbChronoTabG.control = control;
    SbChronoTabG.slots = std::make_unique<std::array<SbChronoRec, SB_CHRONO_SLOTS>>();
    SbChronoTabG.count = 0;
    SbChronoTabG.writeFailed = false;
    if (SbChronoTableAttachee()) SbChronoPreparerTable();
    CheminFichier(folder, file, SbChronoTabG.requested);
    StrCopy(SbChronoTabG.file, SbChronoTabG.requested);
    // Last run's times stay loadable: their file is replaced only once its copy is
    // on the disk. When the copy cannot be made, this run's times go to a new file
    // and last run's file is left as it is.
    const int reason = ConserverPrecedent(SbChronoTabG.requested);
    if (reason != FILE_WRITE_OK) {
        DatedName(SbChronoTabG.requested, "-new", SbChronoTabG.file);
        SbNoteFileNotice(SbFileNotice::PreviousRunKept, SbChronoTabG.file, reason);
    }
    WriteStoreFile();
    SbChronoAfficher();
}

void SbChronoFermer(const char* folder, const char* file) {
    char path[260];
    CheminFichier(folder, file, path);
    if (SbChronoTabG.slots && strcmp(path, SbChronoTabG.requested) == 0)
        WriteStoreFile();  // where the store has been kept all along, perhaps the new file
    else
        SbChronoSauver(path);
    CancelCall(Upkeep);
    SbChronoTabG.slots.reset();
    SbChronoTabG.count = 0;
    SbChronoTabG.panel = 0;
    SbChronoTabG.control = 0;
    SbChronoTabG.file[0] = 0;
    SbChronoTabG.requested[0] = 0;
    SbChronoTabG.changed = false;
    SbChronoTabG.writeFailed = false;
}

void SbChronoEffacer() {
    SbChronoTabG.count = 0;
    if (!SbChronoTabG.slots) return;
    SbChronoTabG.slots->fill(SbChronoRec{});
    SbChronoModifie();
}

void SbChronoSauver(const char* path) {
    if (!path) return;
    if (SbChronoTabG.slots && SbChronoTabG.file[0] && strcmp(path, SbChronoTabG.file) == 0)
        WriteStoreFile();
    else if (!Ecrire(path))
        SbNoteWriteFailure(path);
}

bool SbChronoSaveNow() {
    if (!SbChronoTabG.slots || !SbChronoTabG.file[0]) return true;
    return !SbChronoTabG.changed || WriteStoreFile();
}

const char* SbChronoStorePath() {
    return SbChronoTabG.file;
}

int SbChronoCharger(const char* path) {
    if (!path || !SbChronoTabG.slots) return 0;
    std::vector<char> image(kCountSize + sizeof(SbChronoRec) * SB_CHRONO_MAX);
    const long n = FileReadUpTo(path, image.data(), image.size());
    if (n < long(kCountSize)) return 0;
    int32_t count = 0;
    std::memcpy(&count, image.data(), kCountSize);
    // Never trust the count: cut it to the records present and to the capacity.
    const long present = (n - long(kCountSize)) / long(sizeof(SbChronoRec));
    const int32_t kept = int32_t(std::clamp<long>(count, 0, std::min<long>(present, SB_CHRONO_MAX)));
    auto& slots = *SbChronoTabG.slots;
    slots.fill(SbChronoRec{});
    if (kept > 0) std::memcpy(&slots[1], image.data() + kCountSize, sizeof(SbChronoRec) * size_t(kept));
    SbChronoTabG.count = kept;
    SbChronoModifie();
    return 1;
}

void SbChronoMaintenir() {
    if (!SbChronoTabG.changed || !SbChronoTabG.slots || !SbChronoTabG.file[0]) return;
    const double wait = SB_CHRONO_DELAI_SAUVEGARDE - (Timer() - SbChronoTabG.firstChange);
    if (wait > 0)
        ScheduleCall(wait, Upkeep);
    else
        WriteStoreFile();
}

int SbChronoNombre() {
    return SbChronoTabG.slots ? SbChronoTabG.count : 0;
}

const SbChronoRec* SbChronoLire(int index) {
    if (!SbChronoTabG.slots || index < 1 || index > SbChronoTabG.count) return nullptr;
    return &(*SbChronoTabG.slots)[size_t(index)];
}

void SbChronoQ31Traiter(const SbChronoRec* record) {
    if (!record) return;
    const SbChronoRec rec = *record;
    if (Recus().size() >= size_t(SB_CHRONO_MAX)) Recus().erase(Recus().begin());
    Recus().push_back(rec);
    SbChronoAjouter(rec, true);
    // While the start program runs, a channel-1 time is shown with the reference
    // time and its difference from it, in the same band.
    if (SbQ31CrG.status1 && rec.Canal == '1') {
        SbChronoAjouter(SbChronoQ31ItG, false);
        SbChronoRec ecart;
        SbChronoEcart(SbChronoQ31ItG, rec, &ecart);
        SbChronoAjouter(ecart, false);
    }
}

const std::vector<SbChronoRec>& SbChronoRecus() {
    return Recus();
}
void SbChronoViderRecus() {
    Recus().clear();
}
