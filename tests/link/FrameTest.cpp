// Check value, frame bytes, line cutting and the check of received lines.
#include <string>
#include <vector>

#include "LinkFake.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComFrame.h"

using linkfake::Ligne;
using linkfake::LinkTest;

namespace {

std::string Trame(const char* payload) {
    char frame[kSbComTrameMax];
    int n = SbComFormerTrame(payload, frame, sizeof frame);
    return std::string(frame, size_t(n));
}

struct Lignes {
    std::vector<std::string> accepted;
    int rejected = 0;
};

void Collecter(void* context, const char* text, int length, bool tooLong) {
    auto* l = static_cast<Lignes*>(context);
    char message[kSbComMessageMax];
    if (SbComAccepterLigne(text, length, tooLong, message))
        l->accepted.emplace_back(message);
    else
        ++l->rejected;
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

TEST_F(LinkTest, ReaderCutsAnyChunkingIntoTheSameLines) {
    std::string stream =
        Ligne("AK") + Ligne("&P 001 3") + "garbage\x01\xff\r\n" + Ligne("&E 1E") + Ligne("CL 3");
    for (size_t chunk : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(64), stream.size()}) {
        SbComLecteurLignes reader;
        Lignes got;
        for (size_t i = 0; i < stream.size(); i += chunk)
            reader.Alimenter(stream.data() + i, std::min(chunk, stream.size() - i), Collecter, &got);
        EXPECT_EQ(got.accepted, (std::vector<std::string>{"AK", "&P 001 3", "&E 1E", "CL 3"}))
            << "chunk " << chunk;
        EXPECT_EQ(got.rejected, 1) << "chunk " << chunk;
    }
}

TEST_F(LinkTest, OverLongLineIsRejectedAndTheNextLineIsRead) {
    std::string longLine = std::string(300, 'A') + "\t0000\r\n";
    std::string exact = Ligne(std::string(63, 'B'));  // short payload, fine
    std::string stream = Ligne("AK") + longLine + exact + Ligne("ID 42");
    SbComLecteurLignes reader;
    Lignes got;
    reader.Alimenter(stream.data(), stream.size(), Collecter, &got);
    ASSERT_EQ(got.accepted.size(), 3u);
    EXPECT_EQ(got.accepted[0], "AK");
    EXPECT_EQ(got.accepted[1], std::string(63, 'B'));
    EXPECT_EQ(got.accepted[2], "ID 42");
    EXPECT_EQ(got.rejected, 1);
    EXPECT_EQ(Texte(), "E13");

    // 256 bytes before the LF is still a line; 257 is not.
    std::string fits = std::string(250, 'C') + "\t0000\r";  // 256 bytes
    std::string over = std::string(251, 'C') + "\t0000\r";  // 257 bytes
    SbComLecteurLignes r2;
    auto probe = [](void* ctx, const char*, int length, bool tooLong) {
        auto* v = static_cast<std::vector<std::pair<int, bool>>*>(ctx);
        v->push_back({length, tooLong});
    };
    std::vector<std::pair<int, bool>> seen;
    std::string two = fits + "\n" + over + "\n";
    r2.Alimenter(two.data(), two.size(), probe, &seen);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(256, false));
    EXPECT_TRUE(seen[1].second);
}
