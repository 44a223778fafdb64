// The clock's live records and the 7-segment pattern table.
#include "records/SbCr.h"

#include <cstddef>

SbCr SbCrG{};
SbQ31Cr SbQ31CrG{};

// Digit codes 0..15, then 16 for the lone middle bar. Code 11 is blank and code 13
// the upper square (degree sign), as the clock draws them.
const std::array<uint8_t, 17> Gen7Segments = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F,
                                              0x6F, 0x77, 0x00, 0x39, 0x63, 0x79, 0x71, 0x01};

uint8_t Gen7SegmentsPattern(int code) {
    if (code < 0 || code >= int(Gen7Segments.size())) return 0;
    return Gen7Segments[std::size_t(code)];
}
