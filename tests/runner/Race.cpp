// The pieces the whole-race flows share: start program, entry list, connection, keypad, files.
#include "tests/runner/Race.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <fstream>
#include <memory>

#include "chrono/SbChrono.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q12Rec.h"
#include "records/SbComRecord.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

using namespace fq31;
using namespace fq12;

namespace e2e {

std::vector<std::pair<int, int>> RaceProgram(int interval, int countdown) {
    return {{PAGE3_F102, interval}, {PAGE3_F103, countdown}, {PAGE3_F104, 60}, {PAGE3_F105, 0},
            {PAGE3_F107, -10},      {PAGE3_F108, -5},        {PAGE3_F109, 0},  {PAGE3_F110, -5},
            {PAGE3_F111, -10},      {PAGE3_F112, 0},         {PAGE3_FLAG, 0}};
}

void ExpectRaceProgram(const std::string& linkFile, int interval, int countdown) {
    // Program 0 of the link record: parameters 102, 104, 105, 103, 112, 110, 111, 107, 108, 109.
    const std::pair<size_t, int> fields[] = {{0, interval}, {4, 60},   {8, 0},    {16, countdown}, {20, 0},
                                             {24, -5},      {28, -10}, {32, -10}, {36, -5},        {40, 0}};
    for (auto [offset, value] : fields)
        EXPECT_EQ(At<int32_t>(linkFile, 652 + offset), value) << "at " << offset;
}

void WriteEntries(const std::string& path) {
    qstest::WriteFileBytes(path,
                           "Bib,Name,Club,Nation\n"
                           "101,Anna Berg,SC Nord,NOR\n"
                           "102,Zo\xC3\xAB \xC3\x89"
                           "brard,CS Vercors,FRA\n"
                           "103,Luca Rossi,SC Gardena,ITA\n");
}

namespace {

const PanelFn kConnect = Loaded("FQ31.uir", CONNECT);
Step Connected(int linkState) {
    return [=] { return SbComG.linkState == linkState && !kConnect() && !SbWaitOuvert(); };
}

}  // namespace

Steps ConnectToCom5() {
    return {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
            Press(kConnect, CONNECT_REFRESH),
            Until([] {
                int items = 0;
                GetNumListItems(kConnect(), CONNECT_PORT, &items);
                return items > 0 && !SbWaitOuvert();
            }),
            Fill(kConnect, {{CONNECT_PORT, 5}}),
            Press(kConnect, CONNECT_CONNECT),
            Connected(1)};
}

Steps ConnectOverNetwork(int tcpPort) {
    return {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
            [tcpPort] {
                if (!Usable(kConnect(), CONNECT_NET_ADDRESS)) return false;
                SetCtrlVal(kConnect(), CONNECT_NET_ADDRESS, "127.0.0.1");
                return SetCtrlVal(kConnect(), CONNECT_NET_PORT, tcpPort), true;
            },
            Press(kConnect, CONNECT_CONNECT2), Connected(2)};
}

Step Tell(std::string command) {
    return Do([command] { std::ofstream("control") << command << "\n"; });
}

void Then(Steps& steps, Steps more) {
    for (Step& s : more) steps.push_back(std::move(s));
}

Step TypeNumber(const std::string& digits) {
    static constexpr int kKeys[10] = {COMPET_KEY_0, COMPET_KEY_1, COMPET_KEY_2, COMPET_KEY_3, COMPET_KEY_4,
                                      COMPET_KEY_5, COMPET_KEY_6, COMPET_KEY_7, COMPET_KEY_8, COMPET_KEY_9};
    auto typed = std::make_shared<bool>(false);
    return [digits, typed] {
        const int panel = CompetitorPanel();
        if (!*typed) {
            if (!Usable(panel, COMPET_KEY_ENTER)) return false;
            for (char d : digits) QueueUserEvent(panel, kKeys[d - '0']);
            QueueUserEvent(panel, COMPET_KEY_ENTER);
            *typed = true;
            return false;
        }
        return Usable(panel, COMPET_CONFIRM);
    };
}

void ExpectTime(const std::string& file, int index, const SbChronoRec& e) {
    const size_t at = 4 + sizeof(SbChronoRec) * size_t(index - 1);
    ASSERT_LE(at + sizeof(SbChronoRec), file.size()) << "time " << index;
    auto fields = [](const SbChronoRec& t) {
        return std::vector<int>{t.Concurrent, t.Numero, t.Heures, t.Minutes, t.Secondes, t.Fraction,
                                t.Complement, t.Type,   t.Marque, t.Qualif,  t.Canal};
    };
    EXPECT_EQ(fields(At<SbChronoRec>(file, at)), fields(e)) << "time " << index;
}

void ExpectCompetitorLists(const std::string& file, const std::vector<std::pair<int, int>>& list,
                           const std::vector<int>& sent) {
    constexpr size_t kRec = sizeof(Q12ConcurrentRec);
    constexpr size_t kSentList = 4 + 1000 * kRec;
    ASSERT_EQ(file.size(), 360008u);
    ASSERT_EQ(At<int32_t>(file, 0), int32_t(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(At<int32_t>(file, 4 + i * kRec), list[i].first) << "list entry " << i;
        EXPECT_EQ(At<uint8_t>(file, 4 + i * kRec + 8), list[i].second) << "sent flag of " << list[i].first;
    }
    ASSERT_EQ(At<int32_t>(file, kSentList), int32_t(sent.size()));
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(At<int32_t>(file, kSentList + 4 + i * kRec), sent[i]) << "sent entry " << i;
        EXPECT_EQ(At<uint8_t>(file, kSentList + 4 + i * kRec + 8), 1);
    }
}

std::string StoreImage() {
    const int32_t n = SbChronoNombre();
    std::string image(reinterpret_cast<const char*>(&n), sizeof n);
    for (int i = 1; i <= n; ++i)
        image.append(reinterpret_cast<const char*>(SbChronoLire(i)), sizeof(SbChronoRec));
    return image;
}

bool ParseTimeMessage(const std::string& p, SbChronoRec* out) {
    if (p.size() < 36 || (p[0] != 'T' && p[0] != 'A') || !strchr("=+-*CNI", p[1])) return false;
    SbChronoRec r{};
    r.Type = p[0];
    r.Marque = p[1];
    r.Qualif = p[13];
    r.Canal = p[14];
    // Numeric columns; blanks read as 0.
    const std::pair<int32_t*, std::pair<size_t, size_t>> columns[] = {
        {&r.Concurrent, {3, 4}}, {&r.Numero, {8, 4}},    {&r.Heures, {16, 2}},    {&r.Minutes, {19, 2}},
        {&r.Secondes, {22, 2}},  {&r.Fraction, {25, 5}}, {&r.Complement, {31, 5}}};
    for (auto [field, at] : columns) {
        const std::string f = p.substr(at.first, at.second);
        char* end = nullptr;
        *field = int32_t(strtol(f.c_str(), &end, 10));
        if (end == f.c_str() && f.find_first_not_of(' ') != std::string::npos) return false;
    }
    *out = r;
    return true;
}

long HeapKb() {
    const struct mallinfo2 mi = mallinfo2();
    return long((mi.uordblks + mi.hblkhd) / 1024);
}

Strings Lines(const std::string& path) {
    Strings lines;
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

std::vector<SbChronoRec> TimesIn(const std::string& path, bool* whole) {
    const std::string bytes = qstest::ReadFileBytes(path);
    const int32_t count = At<int32_t>(bytes, 0);
    const bool sound =
        bytes.size() >= 4 && count >= 0 && bytes.size() == 4 + size_t(count) * sizeof(SbChronoRec);
    if (whole) *whole = sound;
    std::vector<SbChronoRec> records;
    for (int32_t i = 0; sound && i < count; ++i)
        records.push_back(At<SbChronoRec>(bytes, 4 + size_t(i) * sizeof(SbChronoRec)));
    return records;
}

}  // namespace e2e
