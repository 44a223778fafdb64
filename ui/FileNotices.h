// Writes that failed, told to the operator once each and in their language: the
// code that meets the failure notes it at once (it may run under any window, from
// a timer or the serial callback), and the main loop shows the notes at its next
// pass, or shutdown after the main window has closed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Q31TxtMesG entries of the notices (the reasons follow the FILE_WRITE_* order).
inline constexpr int kMesFileNotSavedTitle = 18;
inline constexpr int kMesFileNotWritten = 19;
inline constexpr int kMesTimesNotSaved = 20;
inline constexpr int kMesTimesSavedAgain = 21;
inline constexpr int kMesPreviousRunNotCopied = 22;
inline constexpr int kMesQuitWithTimesUnsaved = 23;
inline constexpr int kMesReasonDiskFull = 24;
inline constexpr int kMesReasonReadOnly = 25;
inline constexpr int kMesReasonDenied = 26;
inline constexpr int kMesReasonOther = 27;

enum class SbFileNotice {
    FileNotWritten,   // an export, a settings, configuration or competitor file
    TimesNotSaved,    // the times file: the times stay in memory, the store retries
    TimesSavedAgain,  // the times file is written again after a failure
    PreviousRunKept,  // last run's file could not be copied aside: left as it was,
                      // this run's times go to the path of the notice instead
};

// Notes a notice about path; reason is FileLastWriteError() of the failed write
// (FILE_WRITE_OK for a notice that is no failure). The same notice about the same
// path is noted once until shown.
void SbNoteFileNotice(SbFileNotice kind, const char* path, int reason);
// This computer's settings file (a window's place, the last import folder) could not be
// written: the layer's failure hook, registered at start.
void SbNoteLocalSettingsNotWritten(int reason);
// Notes FileNotWritten for path with the reason of the layer's last failed write.
void SbNoteWriteFailure(const char* path);
// Shows the notes in the order they were made, each in its box over parent (0 for
// none), and forgets them. Returns how many were shown.
int SbShowFileNotices(int parent);

struct SbFileNote {
    SbFileNotice kind;
    std::string path;
    int reason;
};
const std::vector<SbFileNote>& SbFileNotes();  // noted, not yet shown, oldest first
void SbForgetFileNotices();

// The path as the operator finds it (from the program folder's root, the system's
// separators) and, on the next line, the reason in words: the detail of a notice.
void SbFileNoticeDetail(const char* path, int reason, char* out, size_t size);
