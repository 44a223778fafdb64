// The link record's one instance.
#include "records/SbComRecord.h"

SbCom SbComG;
