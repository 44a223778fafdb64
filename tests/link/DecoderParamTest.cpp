// Parameter replies: every number of the table stores into its own field.
#include <cstring>

#include "LinkFake.h"
#include "link/SbComDecoder.h"
#include "link/SbComGsmEth.h"
#include "link/SbComProg.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

using linkfake::LinkTest;

namespace {
void D(const char* payload) {
    SbComDecoderMessage(payload);
}
}  // namespace

TEST_F(LinkTest, PlainParameters) {
    struct Case {
        const char* reply;
        const int32_t* field;
        int value;
    };
    const SbComParams& p = SbComG.params;
    for (Case c :
         {Case{"&P 001 4", &p.precision, 4}, Case{"&P 002 1", &SbComG.mode, 1},
          Case{"&P 007 6", &p.field1, 6}, Case{"&P 009 19", &SbComG.synchro.timeZone, 19},
          Case{"&P 012 0", &p.field10, 0}, Case{"&P 017 7", &p.field5, 7}, Case{"&P 018 8", &p.field6, 8},
          Case{"&P 019 9", &p.field7, 9}, Case{"&P 020 5", &p.field8, 5}, Case{"&P 021 4", &p.field9, 4},
          Case{"&P 101 33", &SbComG.currentProgram, 33}}) {
        D(c.reply);
        EXPECT_EQ(*c.field, c.value) << c.reply;
    }
}

TEST_F(LinkTest, SpeedCodeReplyIsAlsoTheCurrentSpeed) {
    SbComVitesseCouranteG = 0;
    D("&P 016 4");
    EXPECT_EQ(SbComG.params.speedCode, 4);
    EXPECT_EQ(SbComVitesseCouranteG, 4);
    SbComVitesseCouranteG = 0;
}

TEST_F(LinkTest, RunInformationWithItsDate) {
    D("&P 003 2 3 14:05:09 4297");
    const SbComRun& r = SbComG.run;
    EXPECT_EQ(r.current, 2);
    EXPECT_EQ(r.next, 3);
    EXPECT_EQ(r.hour, 14);
    EXPECT_EQ(r.minute, 5);
    EXPECT_EQ(r.second, 9);
    EXPECT_EQ(r.dayNumber, 4297);
    EXPECT_EQ(r.day, 7);
    EXPECT_EQ(r.month, 10);
    EXPECT_EQ(r.year, 11);
}

TEST_F(LinkTest, InputsAndTheirFourthFields) {
    D("&P 004 2 1234");
    D("&P 005 2 1");
    D("&P 006 2 0");
    const SbComInput& in = SbComG.params.inputs[1];
    EXPECT_EQ(in.timeBase, 1234);
    EXPECT_EQ(in.choice2, 1);
    EXPECT_EQ(in.enabled, 0);
    D("&P 023 2 0 1 2");
    EXPECT_EQ(SbComG.params.inputs[0].choice3, 2);
    EXPECT_EQ(SbComG.params.inputs[1].choice3, 0);
    EXPECT_EQ(SbComG.params.inputs[2].choice3, 1);
    EXPECT_EQ(SbComG.params.inputs[3].choice3, 2);
    SbComParams before = SbComG.params;
    D("&P 004 0 55");
    D("&P 005 5 1");
    EXPECT_EQ(memcmp(&before, &SbComG.params, sizeof before), 0);
}

TEST_F(LinkTest, LampParameterSynchronisationExtensionsAndPair) {
    D("&P 008 12 345");
    EXPECT_EQ(SbComG.p8Digit1, 1);
    EXPECT_EQ(SbComG.p8Digit2, 2);
    EXPECT_EQ(SbComG.p8Number, 345);
    D("&P 010 5 1A 12:34 25/12/24");
    const SbComSynchro& s = SbComG.synchro;
    EXPECT_EQ(s.mode, 5);
    EXPECT_EQ(s.status, 0x1A);
    EXPECT_EQ(s.hour, 12);
    EXPECT_EQ(s.minute, 34);
    EXPECT_EQ(s.day, 25);
    EXPECT_EQ(s.month, 12);
    EXPECT_EQ(s.year, 24);
    D("&P 028 3 4");
    EXPECT_EQ(SbComG.extensions[2], 4);
    D("&P 029 07 09");
    EXPECT_EQ(SbComG.params.field3, 7);
    EXPECT_EQ(SbComG.params.field2, 9);
}

TEST_F(LinkTest, GsmItemsAndReports) {
    D("&P 030 2 abc");
    EXPECT_STREQ(SbComG.gsm.first[0].text[1], "abc");
    D("&P 030 e 2000");
    EXPECT_EQ(SbComG.gsm.second[1].number, 2000);
    D("&P 030 6 +41791234567");
    EXPECT_STREQ(SbComG.gsm.common, "+41791234567");
    D("&P 030 g two words");  // read word by word
    EXPECT_STREQ(SbComG.gsm.second[1].text[2], "two");
    D("&P 030 2");  // an item without text becomes empty
    EXPECT_STREQ(SbComG.gsm.first[0].text[1], "");
    D("&P 030 c 0123456789012345678901234567890123456789");  // kept to 31 characters
    EXPECT_EQ(strlen(SbComG.gsm.first[1].text[2]), 31u);

    D("&P 034 4B 17");
    EXPECT_EQ(SbCrG.gsmStatus, 0x4B);
    EXPECT_EQ(SbCrG.gsmValue, 17);
    D("&P 035 1 84 ff 0");
    EXPECT_EQ(SbCrG.ethernetStatus[0], 0x01);
    EXPECT_EQ(SbCrG.ethernetStatus[1], 0x84);
    EXPECT_EQ(SbCrG.ethernetStatus[2], 0xFF);
    EXPECT_EQ(SbCrG.ethernetStatus[3], 0);
}

TEST_F(LinkTest, GsmTextInParts) {
    D("&P 037 0 READY");
    EXPECT_STREQ(SbCrG.gsmText, "READY");
    EXPECT_EQ(SbCrG.gsmTextReady, 1);
    SbCrG.gsmTextReady = 0;
    D("&P 037 1 OK");
    EXPECT_STREQ(SbCrG.gsmText, "READYOK");
    EXPECT_EQ(SbCrG.gsmTextReady, 1);
    EXPECT_EQ(SbCrG.gsmTextPart, 1);
    for (int i = 0; i < 10; ++i) D("&P 037 2 0123456789012345678901234567890123456789012345678901");
    EXPECT_EQ(strlen(SbCrG.gsmText), 255u);  // what does not fit is dropped
    D("&P 037 0 NEW");
    EXPECT_STREQ(SbCrG.gsmText, "NEW");
}

TEST_F(LinkTest, EthernetAddresses) {
    D("&P 031 0 10.0.0.7");
    D("&P 031 1 255.255.255.0");
    EXPECT_STREQ(SbComG.ethernet.address0, "10.0.0.7");
    EXPECT_STREQ(SbComG.ethernet.address1, "255.255.255.0");
    D("&P 031 1 012345678901234567890123456789");
    EXPECT_EQ(strlen(SbComG.ethernet.address1), 23u);
}

TEST_F(LinkTest, ProgramParametersWithSignedBytes) {
    struct Case {
        const char* reply;
        int program;
        int32_t SbComProg::*field;
        int value;
    };
    for (Case c :
         {Case{"&P 110 02 251", 2, &SbComProg::p110, -5}, Case{"&P 113 02 ff", 2, &SbComProg::p113, -1},
          Case{"&P 113 03 01", 3, &SbComProg::p113, 1}, Case{"&P 102 50 120", 50, &SbComProg::p102, 120},
          Case{"&P 103 0 30", 0, &SbComProg::p103, 30}, Case{"&P 106 0 9", 0, &SbComProg::p106, 9},
          Case{"&P 107 1 127", 1, &SbComProg::p107, 127}, Case{"&P 112 1 128", 1, &SbComProg::p112, -128},
          Case{"&P 104 4 15", 4, &SbComProg::p104, 15}, Case{"&P 105 4 1", 4, &SbComProg::p105, 1},
          Case{"&P 108 4 246", 4, &SbComProg::p108, -10}, Case{"&P 109 4 0", 4, &SbComProg::p109, 0},
          Case{"&P 111 4 226", 4, &SbComProg::p111, -30}}) {
        D(c.reply);
        EXPECT_EQ(SbComG.progs[size_t(c.program)].*c.field, c.value) << c.reply;
    }
}
