// Captions of the ten settings pages from the text tables, and the item lists
// whose texts are not translated (time zones, precisions, speeds, targets, GSM).
#include <array>

#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/ClockTables.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "simulation/Q31Simu.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

// Pages 0..9: close and confirm buttons (0 where the page has no confirm button
// or keeps the caption of its resource).
struct Boutons {
    int quit, ok;
};
constexpr std::array<Boutons, kQ31FSetPages> kBoutons = {{
    {PAGE0_QUIT, 0},
    {PAGE1_QUIT, PAGE1_OK},
    {PAGE2_QUIT, PAGE2_OK},
    {PAGE3_QUIT, 0},
    {PAGE4_QUIT, PAGE4_OK},
    {PAGE5_QUIT, 0},
    {PAGE6_QUIT, PAGE6_OK},
    {PAGE7_QUIT, PAGE7_OK},
    {PAGE8_QUIT, PAGE8_OK},
    {PAGE9_QUIT, PAGE9_OK},
}};
constexpr std::array<int, 6> kTitres = {PAGE0_TITLE, PAGE1_TITLE, PAGE2_TITLE,
                                        PAGE3_TITLE, PAGE4_TITLE, PAGE5_TITLE};

void Legende(int panel, int control, const char* text) {
    SetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, text);
}

// Buttons and headings framed by one blank on each side.
void LegendeEspacee(int panel, int control, const char* text) {
    char caption[80];
    StrFormat(caption, sizeof caption, " %s ", text);
    Legende(panel, control, caption);
}

// Static texts followed by one blank.
void TexteSuivi(int panel, int control, const char* text) {
    char caption[80];
    StrFormat(caption, sizeof caption, "%s ", text);
    SetCtrlVal(panel, control, caption);
}

void TraduireRun(int panel) {
    Legende(panel, PAGE0_RUN_NUMBER, Q31TxtLabelG[22]);
    Q31FSetParamRun(panel);  // the switch's caption says whether the run is open
}

void TraduireSynchro(int panel) {
    LegendeEspacee(panel, PAGE1_SYNC_PRESET, Q31TxtLabSetG[9]);
    LegendeEspacee(panel, PAGE1_SYNC_COMPUTER, Q31TxtLabSetG[15]);
    constexpr std::array<int, 5> kDate = {PAGE1_HOUR, PAGE1_MINUTE, PAGE1_DAY, PAGE1_MONTH, PAGE1_YEAR};
    for (size_t i = 0; i < kDate.size(); ++i) Legende(panel, kDate[i], Q31TxtLabSetG[10 + i]);
    Legende(panel, PAGE1_TIMEZONE, Q31TxtLabSetG[16]);
}

void TraduireProg(int panel) {
    LegendeEspacee(panel, PAGE3_LOAD, Q31TxtLabSetG[19]);
    LegendeEspacee(panel, PAGE3_SAVE, Q31TxtLabSetG[38]);
    Legende(panel, PAGE3_PROG_NUM, Q31TxtLabSetG[20]);
    Legende(panel, PAGE3_SAVE_NUM, Q31TxtLabSetG[20]);
    Legende(panel, PAGE3_FLAG, Q31TxtLabSetG[22]);
    struct Texte {
        int control, entry;
    };
    static constexpr Texte kChamps[] = {
        {PAGE3_F102, 23}, {PAGE3_F104, 25}, {PAGE3_F105, 26}, {PAGE3_F103, 29}, {PAGE3_F112, 31},
        {PAGE3_F110, 32}, {PAGE3_F111, 33}, {PAGE3_F107, 35}, {PAGE3_F108, 36}, {PAGE3_F109, 37},
    };
    for (const Texte& t : kChamps) Legende(panel, t.control, Q31TxtLabSetG[t.entry]);
    SetCtrlVal(panel, PAGE3_HEAD_PROG, Q31TxtLabSetG[21]);
    static constexpr Texte kTitres3[] = {
        {PAGE3_HEAD_STARTS, 24}, {PAGE3_HEAD_COUNTDOWN, 28}, {PAGE3_HEAD_LIGHTS, 30}, {PAGE3_HEAD_BEEPS, 34}};
    for (const Texte& t : kTitres3) LegendeEspacee(panel, t.control, Q31TxtLabSetG[t.entry]);
}

void TraduireGeneral(int panel) {
    Legende(panel, PAGE4_P7, Q31TxtLabSetG[49]);
    Legende(panel, PAGE4_P29_1, Q31TxtLabSetG[51]);
    Legende(panel, PAGE4_P29_2, Q31TxtLabSetG[50]);
    struct Texte {
        int control, entry;
    };
    static constexpr Texte kTextes[] = {{PAGE4_TXT39, 39}, {PAGE4_TXT40, 40}, {PAGE4_TXT45, 45},
                                        {PAGE4_TXT48, 48}, {PAGE4_TXT52, 52}, {PAGE4_TXT58, 58}};
    for (const Texte& t : kTextes) TexteSuivi(panel, t.control, Q31TxtLabSetG[t.entry]);
    Legende(panel, PAGE4_FILE_SAVE, Q31TxtLabelG[9]);
    Legende(panel, PAGE4_FILE_LOAD, Q31TxtLabelG[10]);
    Q31FSetListesGeneral(panel);
    Q31FSetParamGeneral(panel);  // the rebuilt lists show the record's choices again
}

void TraduireChargement(int panel) {
    LegendeEspacee(panel, PAGE5_LOAD, Q31TxtLabSetG[59]);
    LegendeEspacee(panel, PAGE5_RAZ, Q31TxtLabSetG[60]);
    Legende(panel, PAGE5_RUN_NUM, Q31TxtLabelG[22]);
}

}  // namespace

void Q31FSetTraduirePage(int page) {
    const int panel = Q31FSetPanel(page);
    if (panel <= 0) return;
    if (page < int(kTitres.size())) SetCtrlVal(panel, kTitres[size_t(page)], Q31TxtLabSetG[page]);
    const Boutons& b = kBoutons[size_t(page)];
    Legende(panel, b.quit, Q31TxtLabelG[7]);
    if (b.ok) Legende(panel, b.ok, Q31TxtLabelG[19]);
    switch (page) {
        case 0:
            TraduireRun(panel);
            break;
        case 1:
            TraduireSynchro(panel);
            break;
        case 3:
            TraduireProg(panel);
            break;
        case 4:
            TraduireGeneral(panel);
            break;
        case 5:
            TraduireChargement(panel);
            break;
        default:
            break;  // page 2's caption follows its switch; pages 6 to 9 have only buttons
    }
    if (page == 2) Q31FSetParamMode(panel);
}

void Q31FSetTraduire() {
    for (int p = 0; p < kQ31FSetPages; ++p) Q31FSetTraduirePage(p);
}

void Q31FSetListesFixes() {
    char item[64];
    if (int panel = Q31FSetPanel(1); panel > 0) {
        ClearListCtrl(panel, PAGE1_TIMEZONE);
        for (size_t i = 0; i < FUSEAU.size(); ++i) {
            StrFormat(item, sizeof item, "UTC %+g h", FUSEAU[i]);
            InsertListItem(panel, PAGE1_TIMEZONE, -1, item, int(i));
        }
    }
    if (int panel = Q31FSetPanel(4); panel > 0) {
        ClearListCtrl(panel, PAGE4_PRECISION);
        for (int i = 0; i < 6; ++i) InsertListItem(panel, PAGE4_PRECISION, -1, Q31TxtPreciG[i], i);
        // The program opens the port at 9600 bit/s for codes 1 and 2.
        static constexpr const char* kVitesses[] = {"2400", "9600 (1)", "9600 (2)", "38400", "57600"};
        ClearListCtrl(panel, PAGE4_SPEED);
        for (int i = 0; i < 5; ++i) InsertListItem(panel, PAGE4_SPEED, -1, kVitesses[i], i);
    }
    if (int panel = Q31FSetPanel(5); panel > 0) {
        // Value 1 brings the times into this program; the others go to the clock as they are.
        struct Cible {
            const char* text;
            int value;
        };
        static constexpr Cible kCibles[] = {
            {"This computer (times table)", 1}, {"Clock printer", 0}, {"Serial output", 2}};
        ClearListCtrl(panel, PAGE5_TARGET);
        for (const Cible& c : kCibles) InsertListItem(panel, PAGE5_TARGET, -1, c.text, c.value);
    }
    if (int panel = Q31FSetPanel(7); panel > 0) {
        ClearListCtrl(panel, PAGE7_SET);
        InsertListItem(panel, PAGE7_SET, -1, "Set 1 (1-8)", 0);
        InsertListItem(panel, PAGE7_SET, -1, "Set 2 (a-g)", 1);
        ClearListCtrl(panel, PAGE7_STATE);
        InsertListItem(panel, PAGE7_STATE, -1, "GSM off", 0);
        InsertListItem(panel, PAGE7_STATE, -1, "GSM on (1)", 1);
        InsertListItem(panel, PAGE7_STATE, -1, "GSM on (2)", 2);
    }
}
