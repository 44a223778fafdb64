// The clock's messages decoded into the link record, the live records and the times handed
// to the store. Rows run in order on one record; a row without a message checks the one before.
#include <cstring>
#include <tuple>
#include <utility>

#include "LinkFixture.h"

using namespace linktest;

TEST_F(LinkTest, MessagesStoreIntoTheirFields) {
    // A first start's record: the clock's factory version, network address and extension slots.
    EXPECT_EQ(
        std::tuple(std::string(SbComG.version), std::string(SbComG.ethernet.address0), SbComG.extensions),
        std::tuple("V000", "192.168.1.1", std::array<int32_t, 3>{1, 2, 0}));
    // Unknown, empty, short and out-of-table messages change nothing.
    const SbCom before = SbComG;
    const SbQ31Cr crBefore = SbQ31CrG;
    for (const char* m : {"DE 1", "ZZ top", "", "&P", "&D", "&C", "&E", "&N", "OP", "SN", "ID x",
                          "&P 114 01 5", "&P 004 7 1234", "&P 028 4 1", "&P 107 51 5", "&P 031 2 1.2.3.4",
                          "&P 030 z abc", "X= 0042 1237 M1 10:23:45.12345 10099"})
        SbComDecoderMessage(m);
    EXPECT_EQ(memcmp(&before, &SbComG, sizeof before), 0);
    EXPECT_EQ(memcmp(&crBefore, &SbQ31CrG, sizeof crBefore), 0);
    EXPECT_TRUE(timesG.empty());
    using Row = std::pair<const char*, std::vector<std::pair<const int32_t*, int32_t>>>;  // message, fields
    const SbComParams& p = SbComG.params;
    const SbComRun& run = SbComG.run;
    const SbComSynchro& sy = SbComG.synchro;
    const SbQ31Cr& cr = SbQ31CrG;
    // Lights: 0x80 + light, F0 all, light 0 flagged. Hands: thirds of a light, wrapped on 60. Digits: codes
    // to 7-segment patterns (16 the bar) or patterns. Sound 0x0D: tone 3, mode 1; duration 5 is 50.
    // Each parameter into its field (16 also the speed in use); day 4297 is 7 October 2011; inputs
    // are 1 to 4; program parameters are signed bytes; short messages keep the rest.
    const Row rows[] = {
        {"SN 1234 QS310 V110", {{&SbComG.serialNumber, 1234}}},
        {"ID 99", {{&SbComG.serialNumber, 99}}},
        {"OP 3 T4", {{&run.current, 3}, {&run.next, 4}}},
        {"OP 5 6", {{&run.next, 6}}},
        {"CL 5", {{&run.current, 0}, {&run.next, 6}}},
        {"&C F001", {{&cr.lights[30], 1}, {&cr.lights[59], 1}, {&cr.light0Flag, 0}}},
        {"&C 8001", {{&cr.lights[0], 1}, {&cr.light0Flag, 1}}},
        {"&C BB05", {{&cr.lights[59], 5}}},
        {"&N FFFF", {{&cr.hourHand, 25}, {&cr.minuteHand, 15}}},
        {"&D 80000102", {{&cr.valueA, 0}, {&cr.digitB, 0x06}, {&cr.digitC, 0x5B}}},
        {"&D 8A013F06", {{&cr.valueA, 1}, {&cr.digitB, 0x3F}, {&cr.digitC, 0x06}}},
        {"&D 80001011", {{&cr.digitB, 0x01}, {&cr.digitC, 0}}},
        {"&D 8105", {{&cr.lightColour, 5}}},
        {"&S 1", {{&SbCrG.soundRequest, 1}, {&SbCrG.soundNumber, 0}}},
        {"&S 10D05", {{&SbCrG.soundRequest, 1}, {&SbCrG.soundNumber, 3}, {&SbCrG.soundMode, 1}}},
        {nullptr, {{&SbCrG.soundDuration, 50}}},
        {"&S 1xx", {{&SbCrG.soundNumber, 3}}},
        {"&S 104", {{&SbCrG.soundNumber, 1}, {&SbCrG.soundMode, 0}, {&SbCrG.soundDuration, 50}}},
        {"&S 00D05", {{&SbCrG.soundNumber, 1}, {&SbCrG.soundMode, 0}}},  // no sound asked: nothing read
        {"&P 001 4", {{&p.precision, 4}}},
        {"&P 002 1", {{&SbComG.mode, 1}}},
        {"&P 007 6", {{&p.field1, 6}}},
        {"&P 009 19", {{&sy.timeZone, 19}}},
        {"&P 012 0", {{&p.field10, 0}}},
        {"&P 017 7", {{&p.field5, 7}}},
        {"&P 018 8", {{&p.field6, 8}}},
        {"&P 019 9", {{&p.field7, 9}}},
        {"&P 020 5", {{&p.field8, 5}}},
        {"&P 021 4", {{&p.field9, 4}}},
        {"&P 101 33", {{&SbComG.currentProgram, 33}}},
        {"&P 016 4", {{&p.speedCode, 4}, {&SbComVitesseCouranteG, 4}}},
        {"&P 003 2 3 14:05:09 4297", {{&run.current, 2}, {&run.next, 3}, {&run.hour, 14}, {&run.minute, 5}}},
        {nullptr,
         {{&run.second, 9}, {&run.dayNumber, 4297}, {&run.day, 7}, {&run.month, 10}, {&run.year, 11}}},
        {"&P 003 5", {{&run.current, 5}, {&run.next, 3}}},
        {"&P 004 1 1234", {{&p.inputs[0].timeBase, 1234}}},
        {"&P 005 4 1", {{&p.inputs[3].choice2, 1}}},
        {"&P 006 2 0", {{&p.inputs[1].enabled, 0}}},
        {"&P 023 2 0 1 2", {{&p.inputs[0].choice3, 2}, {&p.inputs[1].choice3, 0}, {&p.inputs[3].choice3, 2}}},
        {"&P 023 1", {{&p.inputs[0].choice3, 1}, {&p.inputs[3].choice3, 2}}},
        {"&P 008 12 345", {{&SbComG.p8Digit1, 1}, {&SbComG.p8Digit2, 2}, {&SbComG.p8Number, 345}}},
        {"&P 010 5 1A 12:34 25/12/24", {{&sy.mode, 5}, {&sy.status, 0x1A}, {&sy.hour, 12}, {&sy.minute, 34}}},
        {nullptr, {{&sy.day, 25}, {&sy.month, 12}, {&sy.year, 24}}},
        {"&P 010 2 0 7", {{&sy.mode, 2}, {&sy.hour, 7}, {&sy.minute, 34}}},
        {"&P 010 3 1B", {{&sy.mode, 3}, {&sy.status, 0x1B}, {&sy.hour, 7}}},
        {"&P 028 3 4", {{&SbComG.extensions[2], 4}}},
        {"&P 030 5 250", {{&SbComG.gsm.second[0].number, 250}}},
        {"&P 029 07 09", {{&p.field3, 7}, {&p.field2, 9}}},
        {"&P 034 4B 17", {{&SbCrG.gsmStatus, 0x4B}, {&SbCrG.gsmValue, 17}}},
        {"&P 035 1 84 ff 0", {{&SbCrG.ethernetStatus[1], 0x84}, {&SbCrG.ethernetStatus[2], 0xFF}}},
        {"&P 035 7", {{&SbCrG.ethernetStatus[0], 7}, {&SbCrG.ethernetStatus[1], 0x84}}},
        {"&P 110 02 251", {{&SbComG.progs[2].p110, -5}}},
        {"&P 113 02 ff", {{&SbComG.progs[2].p113, -1}}},
        {"&P 102 50 120", {{&SbComG.progs[50].p102, 120}}},
        {"&P 102 00 77", {{&SbComG.progs[0].p102, 77}}},
    };
    for (const auto& [message, fields] : rows) {
        if (message) SbComDecoderMessage(message);
        for (auto [field, value] : fields) EXPECT_EQ(*field, value) << (message ? message : "(before)");
    }
    SbComVitesseCouranteG = 0;
    // The light's colours, by their levels of red, green and blue in per cent.
    const char* const colours[] = {"000000", "640000", "006400", "645A00", "000064", "640064",
                                   "006464", "646464", "640F00", "00640F", "640A14", "1E1E64"};
    for (int i = 0; i < 12; ++i) {
        SbComDecoderMessage(("&D F7" + std::string(colours[i])).c_str());
        EXPECT_EQ(cr.lightColour, i) << colours[i];
    }
    // Texts are kept to their field (7, 31, 23 characters), GSM items read word by word, an item
    // without text is empty; the GSM text comes in parts, what does not fit its 255 bytes dropped.
    const std::tuple<const char*, const char*, const char*> texts[] = {
        {"SN 77 FAMILYTOOLONG V1234567890", SbComG.family, "FAMILYT"},
        {nullptr, SbComG.version, "V123456"},
        {"SN 78 QS", SbComG.family, "QS"},
        {"&P 030 2 abc", SbComG.gsm.first[0].text[1], "abc"},
        {"&P 030 2", SbComG.gsm.first[0].text[1], ""},
        {"&P 030 6 +41791234567", SbComG.gsm.common, "+41791234567"},
        {"&P 030 g two words", SbComG.gsm.second[1].text[2], "two"},
        {"&P 030 c 0123456789012345678901234567890123456789", SbComG.gsm.first[1].text[2],
         "0123456789012345678901234567890"},
        {"&P 037 0 READY", SbCrG.gsmText, "READY"},
        {"&P 037 1 OK", SbCrG.gsmText, "READYOK"},
        {"&P 037 0 NEW", SbCrG.gsmText, "NEW"},
        {"&P 031 1 012345678901234567890123456789", SbComG.ethernet.address1, "01234567890123456789012"},
        {"&P 031 0 10.0.0.5", SbComG.ethernet.address0, "10.0.0.5"}};
    for (auto [message, field, text] : texts) {
        if (message) SbComDecoderMessage(message);
        EXPECT_STREQ(field, text) << (message ? message : "the message before");
    }
    for (int i = 0; i < 10; ++i) SbComDecoderMessage("&P 037 2 0123456789012345678901234567890123456789");
    EXPECT_EQ(std::tuple(strlen(SbCrG.gsmText), SbCrG.gsmTextPart, SbCrG.gsmTextReady),
              std::tuple(255u, 2, 1));
    for (auto [message, s1, s2, s3, s4] : {std::tuple{"&E 1E", 1, 1, 1, 1}, {"&E 10", 0, 0, 0, 1}}) {
        SbComDecoderMessage(message);
        EXPECT_EQ(std::tuple(int(cr.status1), int(cr.status2), int(cr.status3), int(cr.status4)),
                  std::tuple(s1, s2, s3, s4))
            << message;
    }
    // A refusal ("AK F" in the command tests) or an unknown status ends the wait; nothing else set an error.
    for (auto [payload, text] : {std::pair{"AK X", ""}, {"AK R", "E4|E7"}}) {
        SbComAckPendingG = 1;
        SbComDecoderMessage(payload);
        EXPECT_EQ(std::tuple(Error(), SbComAckPendingG), std::tuple(text, 0)) << payload;
    }
}

TEST_F(LinkTest, TimeMessagesReachTheStoreWithTheirColumns) {
    //                    0         1         2         3
    //                    0123456789012345678901234567890123456
    SbComDecoderMessage("T= 0042 1237 M1 10:23:45.12345 10099");
    SbComDecoderMessage("A+      0008  5 01:02:03.00001      ");
    SbComDecoderMessage("T* 0012");  // a short one fills what it has
    ASSERT_EQ(timesG.size(), 3u);
    const SbChronoRec& t = timesG[0];
    EXPECT_EQ(std::string({t.Type, t.Marque, t.Qualif, t.Canal}), "T=M1");
    EXPECT_EQ(std::tuple(t.Concurrent, t.Numero, t.Heures, t.Minutes, t.Secondes),
              std::tuple(42, 1237, 10, 23, 45));
    EXPECT_EQ(std::tuple(t.Fraction, t.Complement), std::tuple(12345, 10099));
    const SbChronoRec &b = timesG[1], &s = timesG[2];  // a blank column is 0
    EXPECT_EQ(std::tuple(b.Concurrent, b.Canal, b.Fraction, b.Complement), std::tuple(0, '5', 1, 0));
    EXPECT_EQ(std::tuple(s.Concurrent, s.Numero, s.Heures, int(s.Canal)), std::tuple(12, 0, 0, 0));
    SbComDecoderMessage("TI 0000 0007  1 11:21:59.06834 00000");  // the clock's own time of an impulse
    const SbChronoRec& it = SbChronoQ31ItG;
    EXPECT_EQ(std::tuple(std::string({it.Type, it.Marque, it.Canal}), it.Numero, it.Secondes),
              std::tuple("IT1", 7, 59));
    SbComDecoderMessage("T- 0001 0010  4 00:00:01.00000 00000");
    EXPECT_EQ(SbCrG.channel, (decltype(SbCrG.channel){1, 0, 0, 1}));  // channels 1 to 4 only: "5" flags none
}
