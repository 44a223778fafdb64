// The two live records of the clock: the report record (channels, sound, Ethernet
// and GSM reports, simulated time of day) and the start-clock display mirror
// (status flags, hands, 60 second lights, big light, minus sign and digits).
// Filled by the message decoder or by the simulated clock; read by the displays.
#pragma once

#include <array>
#include <cstdint>

struct SbCr {
    int32_t hour;  // time of day of the simulated clock
    int32_t minute;
    int32_t second;
    int32_t fraction;                // hundred-thousandths
    std::array<int32_t, 4> channel;  // channels "1".."4": 1 when a time arrived (one-shot)
    int32_t soundRequest;            // 1 single tone, 2 rising, 3 falling (simulation)
    int32_t soundNumber;             // 0..3
    int32_t soundDuration;
    int32_t soundMode;
    std::array<int32_t, 4> ethernetStatus;  // parameter 35
    int32_t gsmStatus;                      // parameter 34 status bits
    int32_t gsmValue;                       // parameter 34 value
    int32_t gsmTextReady;                   // parameter 37: a new part arrived
    int32_t gsmTextPart;
    char gsmText[256];
};

struct SbQ31Cr {
    uint8_t status1;   // a start program is running
    uint8_t status2;   // a countdown is active
    uint8_t status3;   // the countdown is paused
    uint8_t status4;   // the countdown has reached zero (one-shot)
    int32_t hourHand;  // position 0..59
    int32_t minuteHand;
    int32_t light0Flag;              // one-shot: light 0 switched on
    std::array<int32_t, 60> lights;  // light colour index of each second light
    int32_t lightColour;             // big light colour index 0..11
    int32_t valueA;                  // minus sign, 0 or 1
    int32_t digitB;                  // left digit, 7-segment pattern
    int32_t digitC;                  // right digit, 7-segment pattern
    int32_t connected;               // the link lamp
};

extern SbCr SbCrG;
extern SbQ31Cr SbQ31CrG;

// 7-segment patterns by digit code (bit 0 = segment a ... bit 6 = g).
extern const std::array<uint8_t, 17> Gen7Segments;
// Pattern of a digit code; a code outside the table shows blank.
uint8_t Gen7SegmentsPattern(int code);
