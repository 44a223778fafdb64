// A journal of plain-text lines kept in a folder of the program folder, one file a day
// ("<folder>/<prefix>-YYYYMMDD.log"), each line after the local time it was handed over
// at, to the millisecond ("14:03:07.412 "). Lines are kept in memory and written by a
// thread of the layer at least four times a second (and forced to the disk once a
// second), so whoever hands a line over never waits for the disk. The folder is kept
// under a size: a day's file that grows past a quarter of it is set aside under the
// time it was closed ("<prefix>-YYYYMMDD-HHMMSS.log"), and the oldest files go first.
#pragma once

#include <cstddef>

// Starts (or restarts) the journal in folder (relative to the program folder, made when
// missing); header is the first line of every new file. 0 on success.
int JournalStart(const char* folder, const char* prefix, long capBytes, const char* header);
// Writes what is left, then stops; lines handed over afterwards are dropped.
void JournalStop();
int JournalActive();
// One line (no line feed in it), stamped now. Does nothing while the journal is stopped.
void JournalAdd(const char* text, size_t length);
// Waits at most seconds until every line handed over is written. 0 when they are.
int JournalSync(double seconds);
// A file of the journal that could not be written (the disk full, the folder read-only...):
// its FILE_WRITE_* reason, and its path (folder as given to JournalStart, then the name)
// in path; 0 when none. Each failure is told once; once the journal writes again, a new
// one is told again. Lines that could not be written are lost; the next are tried again.
int JournalTakeFault(char* path, size_t size);
