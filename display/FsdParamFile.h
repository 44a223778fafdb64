// The second display's ".q31fsd" file: a file that cannot be read gives the full
// defaults; what is read is made safe to lay out; a write that fails is told.
#pragma once

#include "records/FsdParam.h"

void Q31FsdParamSauver(const char* path, const FsdParam* record);
void Q31FsdParamCharger(const char* path, FsdParam* record);
