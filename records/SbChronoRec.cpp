// The reference time's one instance.
#include "records/SbChronoRec.h"

SbChronoRec SbChronoQ31ItG{};
