// The live view's messages: only what changed, the whole state for a new viewer,
// texts from the clock that cannot break the JSON, and the times table's last rows.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <string>

#include "chrono/SbChrono.h"
#include "display/WebView.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "tests/support/TestSupport.h"

namespace {

// The message as a browser reads it (the server sends Windows-1252 as UTF-8; these
// tests' texts are Latin-1, the same bytes).
QJsonObject Read(const std::string& message) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QString::fromLatin1(message.c_str()).toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << message;
    return doc.object();
}

class WebViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        WebViewForget();
        WebViewTakeChanges();
    }
};

TEST_F(WebViewTest, ChangesCarryOnlyWhatChangedAndOnlyOnce) {
    const struct {
        const char* name;
        void (*note)();
        const char* keys;  // of the change message, sorted; "": nothing to send
    } cases[] = {
        {"a ring light", [] { WebViewNoteDot(12, 0xFF0000); }, "dots t"},
        {"the same again (a redraw after a reset)", [] { WebViewNoteDot(12, 0xFF0000); }, ""},
        {"a light outside the ring", [] { WebViewNoteDot(60, 0xFF0000), WebViewNoteDot(-1, 0xFF0000); }, ""},
        {"a hand, taken modulo 60", [] { WebViewNoteHand(true, 65); }, "hands t"},
        {"lights and digits",
         [] {
             WebViewNoteLights(0xFF0000, {0xFF0000, 0, 0, 0}), WebViewNoteDigit(1, 0x86);
         },
         "big digits lights t"},
        {"the same lights again",
         [] {
             WebViewNoteLights(0xFF0000, {0xFF0000, 0, 0, 0});
         },
         ""},
        {"a third digit does not exist", [] { WebViewNoteDigit(2, 0x06); }, ""},
        {"the minus sign", [] { WebViewNoteMinus(5); }, "minus t"},
        {"connection and identity", [] { WebViewNoteMain(true, true, "N\xB0 42"); }, "conn id sim t"},
        {"the run box", [] { WebViewNoteRun("00042\nSPLIT\n3"); }, "run t"},
        {"the language", [] { WebViewNoteTexts(); }, "t texts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.note();
        const std::string message = WebViewTakeChanges();
        std::string keys;
        if (!message.empty()) {
            for (const QString& k : Read(message).keys()) keys += (keys.empty() ? "" : " ") + k.toStdString();
            EXPECT_EQ(Read(message)["t"].toString(), "d");
        }
        EXPECT_EQ(keys, c.keys) << message;
        EXPECT_EQ(WebViewTakeChanges(), "");  // sent once
    }
    // What the steps above left, in the message a new viewer gets.
    const QJsonObject all = Read(WebViewWhole());
    EXPECT_EQ(all["t"].toString(), "all");
    ASSERT_EQ(all["dots"].toArray().size(), 60);
    EXPECT_EQ(all["dots"][12].toInt(), 0xFF0000);
    EXPECT_EQ(all["dots"][13].toInt(), 0x303030);
    EXPECT_EQ(all["hands"][0].toInt(), 5);
    EXPECT_EQ(all["digits"][1].toInt(), 0x06);  // seven segments only
    EXPECT_EQ(all["minus"].toInt(), 1);
    EXPECT_EQ(all["id"].toString(), QStringLiteral("N\u00B0 42"));
    EXPECT_EQ(all["texts"]["legend"].toArray().size(), 6);
    // While the link is closed no identity is shown, whatever the record holds.
    WebViewNoteMain(false, false, "N\xB0 42");
    EXPECT_EQ(Read(WebViewTakeChanges())["id"].toString(), "");
}

TEST_F(WebViewTest, TextsFromTheClockCannotBreakTheMessage) {
    const std::string version = "V\"1\\2\n\t\x01\x7F\xE9</script>";
    WebViewNoteMain(true, false, version.c_str());
    EXPECT_EQ(Read(WebViewTakeChanges())["id"].toString(), QString::fromLatin1(version.c_str()));
    EXPECT_EQ(Read(WebViewWhole())["id"].toString(), QString::fromLatin1(version.c_str()));
}

TEST_F(WebViewTest, TheTimesTablesLastTwentyRowsFollowTheStore) {
    qstest::TempProgramDir dir;
    qstest::EnsureRuntime();
    MakeDir("Chronos");
    SbChronoOuvrir("Chronos", "Chrono.q31tps", 0, 0);
    SbComG.params.precision = 2;
    auto load = [](int count, char markOf7) {
        std::string file(4 + 32 * size_t(count), '\0');
        std::memcpy(file.data(), &count, 4);
        for (int i = 1; i <= count; ++i) {
            SbChronoRec r{};
            r.Numero = i, r.Heures = 10, r.Minutes = 21, r.Secondes = i % 60, r.Fraction = 12345;
            r.Type = 'T', r.Marque = i == 7 ? markOf7 : 'N', r.Qualif = 'M', r.Canal = '1';
            std::memcpy(file.data() + 4 + 32 * size_t(i - 1), &r, 32);
        }
        qstest::WriteFileBytes("times.q31tps", file);
        ASSERT_EQ(SbChronoCharger("times.q31tps"), 1);
    };
    auto rows = [] {
        WebViewCollect();
        return Read(WebViewTakeChanges())["rows"].toArray();
    };
    load(25, 'N');
    QJsonArray shown = rows();
    ASSERT_EQ(shown.size(), 20);
    EXPECT_EQ(shown[0][1].toString(), "    6");  // the table's order: the oldest of the 20 first
    EXPECT_EQ(shown[19][1].toString(), "   25");
    EXPECT_EQ(shown[19][3].toString(), " 10 : 21 : 25.12");
    WebViewCollect();
    EXPECT_EQ(WebViewTakeChanges(), "");  // nothing new
    load(25, 'X');                        // a time marked invalid on the main window
    EXPECT_EQ(rows()[1][4].toString(), "X");
    SbComG.params.precision = 4;  // the clock's precision changed
    EXPECT_EQ(rows()[19][3].toString(), " 10 : 21 : 25.1234");
    load(3, 'N');  // a shorter table (cleared, then new times)
    EXPECT_EQ(rows().size(), 3);
    SbChronoFermer("Chronos", "Chrono.q31tps");
}

}  // namespace
