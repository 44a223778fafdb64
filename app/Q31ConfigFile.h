// The application record's file: a missing file gives the defaults (and is written); a
// short one fills only the first bytes; a write that fails is told to the operator.
#pragma once

#include "records/Q31Config.h"

void Q31Charger(const char* path, Q31Config* record);
void Q31Sauver(const char* path, const Q31Config* record);
