// The link record: how to reach the clock, the link's state, the clock's identity
// and a mirror of every clock setting. Saved whole as "QS-310_V1-1.sbcnf", so its
// layout is a file format; every placed field is checked below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "lib/Endian.h"

struct SbComRun {     // parameter 3
    int32_t current;  // current run number, 0 = no run open
    int32_t next;     // next run number, 1..99
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t dayNumber;  // days counted from 1 January 2000
    int32_t day;
    int32_t month;
    int32_t year;
};
static_assert(sizeof(SbComRun) == 36);

struct SbComSynchro {  // parameters 10 and 9
    int32_t mode;      // 0 none, 2 preset time and date, 5 computer time shifted by the time zone
    int32_t status;    // received in hexadecimal
    int32_t hour;
    int32_t minute;
    int32_t day;
    int32_t month;
    int32_t year;      // two digits
    int32_t timeZone;  // parameter 9: index into the time-zone table
};
static_assert(sizeof(SbComSynchro) == 32);

struct SbComInput {    // one timing input
    int32_t timeBase;  // parameter 4: hundredths of a second, 0 = off
    int32_t choice2;   // parameter 5: two-way choice
    int32_t enabled;   // parameter 6
    int32_t choice3;   // this input's digit of parameter 23
    std::array<uint8_t, 8> unused;
};
static_assert(sizeof(SbComInput) == 24);

struct SbComParams {    // the whole content of a ".q31set" file
    int32_t precision;  // field 0, parameter 1
    int32_t field1;     // parameter 7
    int32_t field2;     // parameter 29, second value
    int32_t field3;     // parameter 29, first value
    int32_t speedCode;  // field 4, parameter 16
    int32_t field5;     // parameter 17
    int32_t field6;     // parameter 18
    int32_t field7;     // parameter 19
    int32_t field8;     // parameter 20
    int32_t field9;     // parameter 21 (0..4)
    int32_t field10;    // parameter 12
    std::array<uint8_t, 20> unused;
    std::array<SbComInput, 4> inputs;  // inputs 1 to 4
};
static_assert(sizeof(SbComParams) == 160);
static_assert(offsetof(SbComParams, speedCode) == 16);
static_assert(offsetof(SbComParams, field10) == 40);
static_assert(offsetof(SbComParams, inputs) == 64);

struct SbComProg {  // one start program, parameters 102..113
    int32_t p102;   // seconds between two starts
    int32_t p104;   // alignment of the first countdown
    int32_t p105;   // non-zero: a running countdown cannot be paused
    int32_t p106;
    int32_t p103;  // countdown length, seconds
    int32_t p112;  // signed seconds
    int32_t p110;
    int32_t p111;
    int32_t p107;
    int32_t p108;
    int32_t p109;
    int32_t p113;  // flag bits
    std::array<uint8_t, 16> unused;
    char name[32];
};
static_assert(sizeof(SbComProg) == 96);
static_assert(offsetof(SbComProg, p113) == 44);
static_assert(offsetof(SbComProg, name) == 64);

struct SbComEthernet {  // parameter 31
    char address0[24];
    char address1[24];
    std::array<uint8_t, 48> unused;
};
static_assert(sizeof(SbComEthernet) == 96);

struct SbComGsm {   // parameter 30; the whole content of a ".q31gsm" file
    struct First {  // keys "1","2","3" (set 0) or "a","b","c" (set 1)
        char text[3][32];
        char unused[32];
    };
    struct Second {  // keys "4","7","8" + "5" (set 0) or "d","f","g" + "e" (set 1)
        char text[3][32];
        char unused[32];
        int32_t number;
        int32_t unused2;
    };
    First first[2];
    Second second[2];
    char common[32];  // key "6"
};
static_assert(sizeof(SbComGsm::First) == 128);
static_assert(sizeof(SbComGsm::Second) == 136);
static_assert(sizeof(SbComGsm) == 560);
static_assert(offsetof(SbComGsm, second) == 256);
static_assert(offsetof(SbComGsm, second) + offsetof(SbComGsm::Second, number) == 384);
static_assert(offsetof(SbComGsm, second) + sizeof(SbComGsm::Second) + offsetof(SbComGsm::Second, number) ==
              520);
static_assert(offsetof(SbComGsm, common) == 528);

struct SbCom {
    uint8_t linkState;       // 0 closed, 1 serial port open, 2 TCP connection open (second mode)
    uint8_t simulation;      // 1 while the simulated clock stands in for the clock
    uint8_t connectAtStart;  // non-zero: the connection dialog opens at start-up
    uint8_t reserved;
    std::array<uint8_t, 4> unused4;
    int32_t port;   // 1 = COM1
    int32_t speed;  // bit/s
    int32_t freePortCount;
    std::array<uint8_t, 20> unused20;
    std::array<int32_t, 64> portList;
    int32_t netPort;
    std::array<uint8_t, 12> unused300;
    char netAddress[16];
    int32_t serialNumber;
    char family[8];
    char version[8];
    SbComRun run;
    int32_t mode;            // parameter 2: 0 "PTB", 1 "SPLIT"
    int32_t currentProgram;  // parameter 101
    int32_t editedProgram;   // program shown for saving on the programs page
    std::array<uint8_t, 16> unused396;
    SbComSynchro synchro;
    std::array<uint8_t, 16> unused444;
    SbComParams params;
    int32_t downloadTarget;             // target of the run download command
    std::array<int32_t, 3> extensions;  // parameter 28, slots 1..3
    std::array<uint8_t, 16> unused636;
    std::array<SbComProg, 51> progs;
    int32_t p8Digit1;  // parameter 8: first digit (the parameter-8 lamp)
    int32_t p8Digit2;
    int32_t p8Number;
    SbComEthernet ethernet;
    SbComGsm gsm;
};
static_assert(sizeof(SbCom) == 6216);
static_assert(offsetof(SbCom, port) == 8);
static_assert(offsetof(SbCom, speed) == 12);
static_assert(offsetof(SbCom, freePortCount) == 16);
static_assert(offsetof(SbCom, portList) == 40);
static_assert(offsetof(SbCom, netPort) == 296);
static_assert(offsetof(SbCom, netAddress) == 312);
static_assert(offsetof(SbCom, serialNumber) == 328);
static_assert(offsetof(SbCom, family) == 332);
static_assert(offsetof(SbCom, version) == 340);
static_assert(offsetof(SbCom, run) == 348);
static_assert(offsetof(SbCom, mode) == 384);
static_assert(offsetof(SbCom, currentProgram) == 388);
static_assert(offsetof(SbCom, editedProgram) == 392);
static_assert(offsetof(SbCom, synchro) == 412);
static_assert(offsetof(SbCom, params) == 460);
static_assert(offsetof(SbCom, downloadTarget) == 620);
static_assert(offsetof(SbCom, extensions) == 624);
static_assert(offsetof(SbCom, progs) == 652);
static_assert(offsetof(SbCom, p8Digit1) == 5548);
static_assert(offsetof(SbCom, p8Digit2) == 5552);
static_assert(offsetof(SbCom, p8Number) == 5556);
static_assert(offsetof(SbCom, ethernet) == 5560);
static_assert(offsetof(SbCom, gsm) == 5656);

// The link record of the program, shared by every layer above.
extern SbCom SbComG;
