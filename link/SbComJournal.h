// The wire journal of the link, for support after a race: every frame sent and
// received, every rejected line, time-out, refusal and port error, and the link's
// opening and closing, one line each in "Logs/link-YYYYMMDD.log" of the program
// folder. The lines go to the run-time layer's journal, which never makes the link
// wait for the disk.
#pragma once

#include <cstddef>

inline constexpr long kSbComJournalPlafond = 50L << 20;              // the Logs folder's size
inline constexpr const char* kSbComJournalReglage = "Link/journal";  // local setting, on by default

void SbComJournalDemarrer();  // starts the journal in "Logs" (a restart keeps the day's file)
void SbComJournalArreter();
// A journal file that could not be written becomes a notice for the operator, once
// (called with the link's watch, from the background task).
void SbComJournalSurveiller();

// Markers of the lines: '>' a frame sent, '<' a line received and accepted, 'x' a line
// received and rejected, '!' a fault (time-out, refusal, port error), '*' the link
// opened, refused or closed.
void SbComJournalEnvoi(const char* frame, int length);  // the frame without its CR LF
void SbComJournalRecu(const char* line, int length, bool tooLong, bool accepted);
void SbComJournalFaute(const char* text);
void SbComJournalLien(const char* text);

// One journal line: the marker, a blank, then the bytes with a TAB as \t, a CR as \r, a
// backslash doubled and any other byte outside printable ASCII as \xHH. Returns its length.
size_t SbComJournalFormer(char marker, const char* bytes, int length, char* out, size_t size);
