// Decoding of the clock's messages into the link record, the live records and the times store.
#include <cstring>
#include <string>

#include "LinkFake.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComGsmEth.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

using linkfake::Ligne;
using linkfake::LinkTest;
using linkfake::Recevoir;

namespace {
void D(const char* payload) {
    SbComDecoderMessage(payload);
}
}  // namespace

TEST_F(LinkTest, AcknowledgementStatuses) {
    struct Case {
        const char* payload;
        int error;
        const char* text;
    };
    for (Case c : {Case{"AK", 0, ""}, Case{"AK X", 0, ""}, Case{"AK F", 1, "E6"}, Case{"AK R", 1, "E7"}}) {
        SbComG.linkState = 0;
        SbComDeplanter();
        SbComG.linkState = 1;
        SbComAckPendingG = 1;
        D(c.payload);
        EXPECT_EQ(SbComAckPendingG, 0) << c.payload;
        EXPECT_EQ(SbComErreur(), c.error) << c.payload;
        if (c.error) {
            EXPECT_EQ(Titre(), "E4");
            EXPECT_EQ(Texte(), c.text);
        }
    }
    // An acknowledgement failing its check is not seen (the check error is the reader's).
    SbComAckPendingG = 1;
    Recevoir("AK\t008D\r\n");
    EXPECT_EQ(SbComAckPendingG, 1);
}

TEST_F(LinkTest, IdentityAndRuns) {
    D("SN 1234 QS310 V110");
    EXPECT_EQ(SbComG.serialNumber, 1234);
    EXPECT_STREQ(SbComG.family, "QS310");
    EXPECT_STREQ(SbComG.version, "V110");
    D("SN 77 FAMILYTOOLONG V1234567890");  // texts kept to 7 characters
    EXPECT_STREQ(SbComG.family, "FAMILYT");
    EXPECT_STREQ(SbComG.version, "V123456");
    D("ID 99");
    EXPECT_EQ(SbComG.serialNumber, 99);

    D("OP 3 T4");
    EXPECT_EQ(SbComG.run.current, 3);
    EXPECT_EQ(SbComG.run.next, 4);
    D("OP 5 6");
    EXPECT_EQ(SbComG.run.current, 5);
    EXPECT_EQ(SbComG.run.next, 6);
    D("CL 5");
    EXPECT_EQ(SbComG.run.current, 0);
    EXPECT_EQ(SbComG.run.next, 6);
}

TEST_F(LinkTest, SecondLightsAndLightZeroFlag) {
    D("&C F001");
    for (int v : SbQ31CrG.lights) EXPECT_EQ(v, 1);
    EXPECT_EQ(SbQ31CrG.light0Flag, 0);
    D("&C F000");
    D("&C 8001");
    EXPECT_EQ(SbQ31CrG.lights[0], 1);
    EXPECT_EQ(SbQ31CrG.light0Flag, 1);
    SbQ31CrG.light0Flag = 0;
    D("&C 8000");
    EXPECT_EQ(SbQ31CrG.lights[0], 0);
    EXPECT_EQ(SbQ31CrG.light0Flag, 0);
    D("&C BB05");
    EXPECT_EQ(SbQ31CrG.lights[59], 5);
    SbQ31Cr before = SbQ31CrG;
    D("&C BC07");  // beyond light 59
    D("&C 7F07");
    EXPECT_EQ(memcmp(&before, &SbQ31CrG, sizeof before), 0);
}

TEST_F(LinkTest, StatusFlagsAndHands) {
    D("&E 1E");
    EXPECT_EQ(SbQ31CrG.status1 + SbQ31CrG.status2 + SbQ31CrG.status3 + SbQ31CrG.status4, 4);
    D("&E 10");
    EXPECT_EQ(SbQ31CrG.status1, 0);
    EXPECT_EQ(SbQ31CrG.status2, 0);
    EXPECT_EQ(SbQ31CrG.status3, 0);
    EXPECT_EQ(SbQ31CrG.status4, 1);
    D("&N 2D1E");  // 45 / 3, 30
    EXPECT_EQ(SbQ31CrG.hourHand, 15);
    EXPECT_EQ(SbQ31CrG.minuteHand, 30);
    D("&N FFFF");  // positions wrap on the 60 lights
    EXPECT_EQ(SbQ31CrG.hourHand, 85 % 60);
    EXPECT_EQ(SbQ31CrG.minuteHand, 255 % 60);
}

TEST_F(LinkTest, DisplayDigitsAndColour) {
    D("&D 80000102");
    EXPECT_EQ(SbQ31CrG.valueA, 0);
    EXPECT_EQ(SbQ31CrG.digitB, 0x06);
    EXPECT_EQ(SbQ31CrG.digitC, 0x5B);
    D("&D 8A013F06");  // patterns given directly
    EXPECT_EQ(SbQ31CrG.valueA, 1);
    EXPECT_EQ(SbQ31CrG.digitB, 0x3F);
    EXPECT_EQ(SbQ31CrG.digitC, 0x06);
    D("&D 80001011");  // code 16 is the middle bar, 17 has no pattern: blank
    EXPECT_EQ(SbQ31CrG.digitB, 0x01);
    EXPECT_EQ(SbQ31CrG.digitC, 0x00);
    D("&D 80000BFF");
    EXPECT_EQ(SbQ31CrG.digitB, 0x00);
    EXPECT_EQ(SbQ31CrG.digitC, 0x00);

    D("&D F7640000");
    EXPECT_EQ(SbQ31CrG.lightColour, 1);
    D("&D F71E1E64");
    EXPECT_EQ(SbQ31CrG.lightColour, 11);
    D("&D F7010203");
    EXPECT_EQ(SbQ31CrG.lightColour, 0);
    D("&D 8105");
    EXPECT_EQ(SbQ31CrG.lightColour, 5);
    D("&D 90070707");  // unknown code
    EXPECT_EQ(SbQ31CrG.lightColour, 5);
}

TEST_F(LinkTest, SoundRequest) {
    D("&S 10D05");  // b = 0x0D: tone 3, mode 1; duration 5 -> 50
    EXPECT_EQ(SbCrG.soundRequest, 1);
    EXPECT_EQ(SbCrG.soundNumber, 3);
    EXPECT_EQ(SbCrG.soundMode, 1);
    EXPECT_EQ(SbCrG.soundDuration, 50);
    SbCrG.soundRequest = 0;
    D("&S 20D05");
    EXPECT_EQ(SbCrG.soundRequest, 0);
    // Short or unreadable fields: the request and the fields read, the others as they were.
    struct Row {
        const char* message;
        int number, mode, duration;
    };
    for (Row r :
         {Row{"&S 1", 3, 1, 50}, Row{"&S 1xx", 3, 1, 50}, Row{"&S 104", 1, 0, 50}, Row{"&S 1", 1, 0, 50}}) {
        SbCrG.soundRequest = 0;
        D(r.message);
        EXPECT_EQ(SbCrG.soundRequest, 1) << r.message;
        EXPECT_EQ(SbCrG.soundNumber, r.number) << r.message;
        EXPECT_EQ(SbCrG.soundMode, r.mode) << r.message;
        EXPECT_EQ(SbCrG.soundDuration, r.duration) << r.message;
    }
}

TEST_F(LinkTest, TimeMessagesReachTheStoreWithTheirColumns) {
    linkfake::ForgetTimesHandedOver();
    //          0         1         2         3
    //          0123456789012345678901234567890123456
    D("T= 0042 0007 M1 10:23:45.12345 00099");
    D("A+      0008  5 01:02:03.00001      ");
    D("TC 0001 0009    23:59:59.99999 12345");
    const auto& got = linkfake::TimesHandedOver();
    ASSERT_EQ(got.size(), 3u);
    const SbChronoRec& t = got[0];
    EXPECT_EQ(t.Type, 'T');
    EXPECT_EQ(t.Marque, '=');
    EXPECT_EQ(t.Concurrent, 42);
    EXPECT_EQ(t.Numero, 7);
    EXPECT_EQ(t.Qualif, 'M');
    EXPECT_EQ(t.Canal, '1');
    EXPECT_EQ(t.Heures, 10);
    EXPECT_EQ(t.Minutes, 23);
    EXPECT_EQ(t.Secondes, 45);
    EXPECT_EQ(t.Fraction, 12345);
    EXPECT_EQ(t.Complement, 99);
    EXPECT_EQ(got[1].Concurrent, 0);  // blank column
    EXPECT_EQ(got[1].Canal, '5');
    EXPECT_EQ(got[1].Fraction, 1);
    EXPECT_EQ(got[1].Complement, 0);
    EXPECT_EQ(got[2].Canal, ' ');
    EXPECT_EQ(got[2].Complement, 12345);
    // Only channel 1 was flagged: blank and "5" set no flag.
    EXPECT_EQ(SbCrG.channel[0], 1);
    EXPECT_EQ(SbCrG.channel[1] + SbCrG.channel[2] + SbCrG.channel[3], 0);
    D("T- 0001 0010  4 00:00:01.00000 00000");
    EXPECT_EQ(SbCrG.channel[3], 1);
}

TEST_F(LinkTest, ShortTimeMessageFillsWhatItHas) {
    linkfake::ForgetTimesHandedOver();
    D("T* 0012");
    ASSERT_EQ(linkfake::TimesHandedOver().size(), 1u);
    const SbChronoRec& r = linkfake::TimesHandedOver()[0];
    EXPECT_EQ(r.Concurrent, 12);
    EXPECT_EQ(r.Numero, 0);
    EXPECT_EQ(r.Heures, 0);
    EXPECT_EQ(r.Canal, 0);
}

TEST_F(LinkTest, ReferenceTimeIsKeptNotStored) {
    linkfake::ForgetTimesHandedOver();
    D("TI 0000 0003  1 08:00:00.50000 00000");
    EXPECT_TRUE(linkfake::TimesHandedOver().empty());
    EXPECT_EQ(SbChronoQ31ItG.Type, 'I');
    EXPECT_EQ(SbChronoQ31ItG.Marque, 'T');
    EXPECT_EQ(SbChronoQ31ItG.Heures, 8);
    EXPECT_EQ(SbChronoQ31ItG.Fraction, 50000);
    EXPECT_EQ(SbChronoQ31ItG.Numero, 3);
    EXPECT_EQ(SbCrG.channel[0], 0);
}

TEST_F(LinkTest, IgnoredMessagesChangeNothing) {
    linkfake::ForgetTimesHandedOver();
    SbCom before = SbComG;
    SbQ31Cr crBefore = SbQ31CrG;
    for (const char* m : {"DE 1",
                          "DS 2",
                          "ZZ top",
                          "",
                          "&P",
                          "&P 011 5",
                          "&P 000 1",
                          "&P 114 01 5",
                          "&P 999 1",
                          "&P 004 7 1234",
                          "&P 028 4 1",
                          "&P 107 51 5",
                          "&P 031 2 1.2.3.4",
                          "&P 030 z abc",
                          "&D",
                          "&C",
                          "&E",
                          "&N",
                          "&S 1",
                          "OP",
                          "SN",
                          "ID x"}) {
        D(m);
    }
    EXPECT_EQ(memcmp(&before, &SbComG, sizeof before), 0);
    EXPECT_EQ(memcmp(&crBefore, &SbQ31CrG, sizeof crBefore), 0);
    EXPECT_TRUE(linkfake::TimesHandedOver().empty());
    EXPECT_EQ(SbComErreur(), 0);
}
