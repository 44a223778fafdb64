// Notices of failed writes: noted where the write fails, shown by the main loop.
#include "ui/FileNotices.h"

#include <string>
#include <vector>

#include "lib/StrBuf.h"
#include "platform/LocalSettings.h"
#include "platform/cvi.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

namespace {

std::vector<SbFileNote>& Notes() {
    static std::vector<SbFileNote> notes;
    return notes;
}

bool showing = false;  // a notice box is open: the notes it did not show wait for the next pass

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool Absolute(const char* path) {
    return path[0] == '/' || path[0] == '\\' || (path[0] != 0 && path[1] == ':');
}

const char* Reason(int reason) {
    switch (reason) {
        case FILE_WRITE_DISK_FULL:
            return Q31TxtMesG[kMesReasonDiskFull];
        case FILE_WRITE_READ_ONLY:
            return Q31TxtMesG[kMesReasonReadOnly];
        case FILE_WRITE_DENIED:
            return Q31TxtMesG[kMesReasonDenied];
        case FILE_WRITE_OK:
            return "";
        default:
            return Q31TxtMesG[kMesReasonOther];
    }
}

int Text(SbFileNotice kind) {
    switch (kind) {
        case SbFileNotice::TimesNotSaved:
            return kMesTimesNotSaved;
        case SbFileNotice::TimesSavedAgain:
            return kMesTimesSavedAgain;
        case SbFileNotice::PreviousRunKept:
            return kMesPreviousRunNotCopied;
        default:
            return kMesFileNotWritten;
    }
}

void Show(int parent, const SbFileNote& n) {
    char detail[600];
    SbFileNoticeDetail(n.path.c_str(), n.reason, detail, sizeof detail);
    const char* text = Q31TxtMesG[Text(n.kind)];
    if (n.kind == SbFileNotice::TimesSavedAgain) {
        // Good news: a plain popup, which lets the clock's mirror run meanwhile.
        std::string message = std::string(text) + "\n" + detail;
        SbPopup(parent, GMessageG[1], message.c_str(), GLabelBpG[8]);
    } else {
        SbAfficherErreur(parent, Q31TxtMesG[kMesFileNotSavedTitle], text, detail, GLabelBpG[2], false, "");
    }
}

}  // namespace

void SbNoteFileNotice(SbFileNotice kind, const char* path, int reason) {
    const std::string p = path ? path : "";
    for (const SbFileNote& n : Notes())
        if (n.kind == kind && n.path == p) return;
    Notes().push_back(SbFileNote{kind, p, reason});
}

void SbNoteLocalSettingsNotWritten(int reason) {
    SbNoteFileNotice(SbFileNotice::FileNotWritten, kLocalSettingsFile, reason);
}

void SbNoteWriteFailure(const char* path) {
    SbNoteFileNotice(SbFileNotice::FileNotWritten, path, FileLastWriteError());
}

int SbShowFileNotices(int parent) {
    if (showing) return 0;
    showing = true;
    int shown = 0;
    // A box's own loop may note more (a timer writes meanwhile): they wait their turn.
    while (!Notes().empty()) {
        const SbFileNote n = Notes().front();
        Notes().erase(Notes().begin());
        Show(parent, n);
        ++shown;
    }
    showing = false;
    return shown;
}

const std::vector<SbFileNote>& SbFileNotes() {
    return Notes();
}

void SbForgetFileNotices() {
    Notes().clear();
}

void SbFileNoticeDetail(const char* path, int reason, char* out, size_t size) {
    std::string full;
    if (path && !Absolute(path)) {
        char dir[260] = "";
        GetDir(dir);
        full = std::string(dir) + kSeparator;
    }
    for (const char* c = path ? path : ""; *c; ++c) full += (*c == '\\' || *c == '/') ? kSeparator : *c;
    const char* why = Reason(reason);
    if (*why) {
        full += "\n";
        full += why;
    }
    StrCopy(out, size, full.c_str());
}
