// Check value, frame bytes, line cutting and the check of received lines, through
// the serial callback as the program receives them.
#include <cstdio>
#include <string>
#include <vector>

#include "LinkFake.h"
#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComFrame.h"
#include "link/SbComLink.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "tests/support/MemoryPort.h"
#include "tests/support/Pty.h"
#include "tests/support/TestSupport.h"

using linkfake::Ligne;
using linkfake::LinkTest;
using linkfake::Recevoir;

namespace {

// A time message on channel 2 from competitor c, framed as the clock sends it.
std::string Temps(int c) {
    char payload[64];
    snprintf(payload, sizeof payload, "TN %04d 0001  2 10:00:00.00000 00000", c);
    return Ligne(payload);
}

// The competitors of the times the decoder handed to the store, in order.
std::vector<int> Recus() {
    std::vector<int> out;
    for (const SbChronoRec& r : linkfake::TimesHandedOver()) out.push_back(r.Concurrent);
    return out;
}

std::string Trame(const char* payload) {
    char frame[kSbComTrameMax];
    int n = SbComFormerTrame(payload, frame, sizeof frame);
    return std::string(frame, size_t(n));
}

}  // namespace

// The frames of known payloads are checked byte for byte as the commands write them.
TEST(LinkFrame, CheckValueOfKnownPayloads) {
    EXPECT_EQ(SbComSomme("AK"), 0x8C);
    EXPECT_EQ(SbComSomme(""), 0);
}

TEST(LinkFrame, HighBytesCountAsNegative) {
    // 0xE9 adds -23, not 233.
    EXPECT_EQ(SbComSomme("A\xE9"), 0x41 - 23);
    EXPECT_EQ(SbComSomme("\xE9"), -23);
    EXPECT_EQ(SbComSomme("\x80\x80"), -256);
}

TEST(LinkFrame, LongestPayloadFitsTheFrameBuffer) {
    // Start mark, TAB, four digits, CR, LF and the terminating zero leave 247 characters.
    std::string payload(247, 'z');
    std::string frame = Trame(payload.c_str());
    ASSERT_EQ(frame.size(), 255u);
    EXPECT_EQ(frame.substr(frame.size() - 7),
              "\t"
              "75B6\r\n");  // 247 x 0x7A
}

TEST_F(LinkTest, ReceivedLineCheck) {
    char message[kSbComMessageMax];
    std::string good = "AK\t008C\r";
    EXPECT_EQ(SbComVerifierLigne(good.data(), int(good.size()), message), 1);
    EXPECT_STREQ(message, "AK");
    EXPECT_EQ(SbComErreur(), 0);

    std::string lowerCase = "AK\t008c\r";  // digits in either case
    EXPECT_EQ(SbComVerifierLigne(lowerCase.data(), int(lowerCase.size()), message), 1);
    std::string shortCheck = "AK\t8C\r";
    EXPECT_EQ(SbComVerifierLigne(shortCheck.data(), int(shortCheck.size()), message), 1);
    EXPECT_EQ(SbComErreur(), 0);

    std::string bad = "AK\t008D\r";
    EXPECT_EQ(SbComVerifierLigne(bad.data(), int(bad.size()), message), 0);
    EXPECT_EQ(SbComErreur(), 1);
    EXPECT_EQ(Titre(), "E9");
    EXPECT_EQ(Texte(), "E13");
}

TEST_F(LinkTest, LinesWithoutTabOrWithLongPayloadAreRejected) {
    char message[kSbComMessageMax];
    std::string noTab = "AK 008C\r";
    EXPECT_EQ(SbComVerifierLigne(noTab.data(), int(noTab.size()), message), 0);
    EXPECT_EQ(Texte(), "E13");

    std::string p63(63, 'x');
    std::string ok = Ligne(p63);
    ok.pop_back();  // LF removed by the reader
    EXPECT_EQ(SbComVerifierLigne(ok.data(), int(ok.size()), message), 1);
    EXPECT_EQ(std::string(message), p63);

    std::string p64 = Ligne(std::string(64, 'x'));
    p64.pop_back();
    EXPECT_EQ(SbComVerifierLigne(p64.data(), int(p64.size()), message), 0);
    EXPECT_STREQ(message, "");
}

TEST_F(LinkTest, ReceptionCutsAnyChunkingIntoTheSameLines) {
    std::string stream =
        Temps(1) + Temps(2) + "garbage\x01\xff\r\n" + Temps(3) + "\r\n" + Ligne("&E 1E") + Temps(4) + "\n";
    // Pieces of any size, as reads ended by the port's time-out cut a line.
    for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(64), size_t(0)}) {
        SbComG.linkState = 0;
        SbComDeplanter();
        SbComG.linkState = 1;
        linkfake::ForgetTimesHandedOver();
        memport::P().piece = piece;
        Recevoir(stream);
        EXPECT_EQ(Recus(), (std::vector<int>{1, 2, 3, 4})) << "piece " << piece;
        EXPECT_EQ(Texte(), "E13") << "piece " << piece;  // the garbage and the lone CR
    }
}

// Lines of every length through the serial callback over a real terminal: a line
// too long, too short or damaged is refused alone, and the valid lines on either
// side of it are decoded, whatever its length against the reader's buffer (256),
// the payload buffer (63) and the port's read pieces (1,024).
TEST(LinkReception, LinesOfEveryLengthLoseNothingAroundThem) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    qstest::Pty pty;
    ASSERT_GE(pty.master, 0);
    constexpr int kPort = 7;
    pty.LinkAsPort(dir.path(), kPort);
    SbComValDefaut(&SbComG);
    SbComG.port = kPort;
    ASSERT_EQ(OpenComConfig(kPort, "", 57600, 0, 8, 1, 512, 512), 0);
    SetComTime(kPort, 1.0);
    InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, RsDetectFlag, nullptr);
    SbComG.linkState = 1;
    auto pump = [] { ProcessSystemEvents(); };

    struct Row {
        int payload;  // characters before the TAB; 0: a line without one
        int length;   // bytes before the LF
        bool kept;
    };
    // A time's payload has 36 characters, its frame 41 bytes before the CR.
    const Row rows[] = {{0, 0, false},     {0, 1, false},     {0, 63, false},    {0, 64, false},
                        {63, 68, true},    {64, 69, false},   {36, 255, true},   {36, 256, true},
                        {36, 257, false},  {36, 1023, false}, {36, 1024, false}, {36, 1025, false},
                        {36, 2048, false}, {0, 4095, false},  {36, 4096, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE("payload " + std::to_string(r.payload) + ", line " + std::to_string(r.length));
        std::string line(size_t(r.length), 'x');
        if (r.payload > 0) {
            std::string payload = Temps(2).substr(0, 36) + std::string(size_t(r.payload - 36), ' ');
            line = Ligne(payload);
            line.resize(line.size() - 2);  // CR and LF
            line.resize(size_t(r.length), ' ');
        }
        linkfake::ForgetTimesHandedOver();
        pty.Send(Temps(1) + line + "\n" + Temps(3), pump);
        for (int i = 0; i < 500 && Recus().size() < (r.kept ? 3u : 2u); ++i) {
            int p, c;
            SetNextWake(0.01);  // the line wakes the pass; a lost line ends the bound
            GetUserEvent(0, &p, &c);
        }
        EXPECT_EQ(Recus(), r.kept ? (std::vector<int>{1, 2, 3}) : (std::vector<int>{1, 3}));
    }
    SbComG.linkState = 0;
    CloseCom(kPort);
    SbComDeplanter();
}
