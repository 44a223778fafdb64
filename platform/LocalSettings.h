// Settings of this computer that no record holds (the application record's layout is
// fixed): a small INI file in the program folder, "QS310Manager.ini". Keys are
// "Group/name"; texts are Windows-1252. A missing file or key gives the fallback.
#pragma once

#include <cstddef>

inline constexpr const char* kLocalSettingsFile = "QS310Manager.ini";

int LocalSettingsInt(const char* key, int fallback);
void LocalSettingsText(const char* key, const char* fallback, char* out, size_t size);
// Each writes the file at once (atomically) and returns FILE_WRITE_OK, or the
// FILE_WRITE_* reason it could not be written (the former file is then untouched).
int LocalSettingsSetInt(const char* key, int value);
int LocalSettingsSetText(const char* key, const char* value);

// Who tells the operator that the layer could not keep one of this computer's settings (a
// window's place, the last import folder), with the FILE_WRITE_* reason; registered by the
// program at start. Without it such a failure only costs the place next time.
void SetLocalSettingsFailureHook(void (*tell)(int reason));
