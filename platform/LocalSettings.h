// Small settings of this computer that belong to no record of the clock or of the
// application (their file layouts are fixed), kept in "QS-310_Local.ini" of the
// program folder as key = integer.
#pragma once

int GetLocalSetting(const char* key, int defaultValue);
int SetLocalSetting(const char* key, int value);  // 0 when stored
