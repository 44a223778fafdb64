// Settings page framework: loading the ten pages into the main window, opening one
// at a time with its reads, confirming with its writes, closing, hover.
#include "settings/Q31FSet.h"

#include <array>
#include <span>

#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"
#include "ui/Dialogs.h"
#include "ui/MainPanel.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

using namespace fq31;

std::array<int, kQ31FSetPages> Q31FSetG{};

namespace {

constexpr int kCouleurBouton = 0x554646;  // program colours: dark face, white caption
constexpr int kCouleurTexte = 0xFFFFFF;

int g_pageOuverte = -1;
int g_bouton = 0;  // main-window button that opened the page

constexpr std::array<int, 6> kBoutonsPages = {MAIN_PAGE_0, MAIN_PAGE_1, MAIN_PAGE_2,
                                              MAIN_PAGE_3, MAIN_PAGE_4, MAIN_PAGE_5};
constexpr std::array<int, 3> kBoutonsExtensions = {MAIN_EXT_1, MAIN_EXT_2, MAIN_EXT_3};

// Hover lists: the captioned buttons first (their caption shows only under the mouse).
struct Survol {
    std::span<const int> controls;
    int captioned;
};
constexpr int kSurvol0[] = {PAGE0_QUIT, PAGE0_RUN_SWITCH};
constexpr int kSurvol1[] = {PAGE1_QUIT, PAGE1_OK, PAGE1_SYNC_PRESET, PAGE1_SYNC_COMPUTER, PAGE1_TIMEZONE};
constexpr int kSurvol2[] = {PAGE2_QUIT, PAGE2_OK, PAGE2_MODE};
constexpr int kSurvol3[] = {PAGE3_QUIT,     PAGE3_OK,   PAGE3_PROG_NUM, PAGE3_LOAD,
                            PAGE3_SAVE_NUM, PAGE3_SAVE, PAGE3_FLAG};
constexpr int kSurvol4[] = {PAGE4_QUIT,  PAGE4_OK,   PAGE4_FILE_SAVE, PAGE4_FILE_LOAD, PAGE4_PRECISION,
                            PAGE4_SPEED, PAGE4_P21,  PAGE4_TB1,       PAGE4_TB2,       PAGE4_C2_1,
                            PAGE4_C2_2,  PAGE4_C3_1, PAGE4_C3_2,      PAGE4_P7,        PAGE4_P17};
constexpr int kSurvol5[] = {PAGE5_QUIT, PAGE5_TARGET, PAGE5_LOAD, PAGE5_RAZ, PAGE5_RUN_NUM};
constexpr int kSurvol6[] = {PAGE6_QUIT, PAGE6_OK, PAGE6_CMD};
constexpr int kSurvol7[] = {PAGE7_QUIT, PAGE7_OK, PAGE7_FILE_SAVE, PAGE7_FILE_LOAD, PAGE7_SET, PAGE7_STATE};
constexpr int kSurvol8[] = {PAGE8_QUIT};
constexpr int kSurvol9[] = {PAGE9_QUIT};
static_assert(std::size(kSurvol4) == 15);

const std::array<Survol, kQ31FSetPages> kSurvol = {{
    {kSurvol0, 1},
    {kSurvol1, 2},
    {kSurvol2, 2},
    {kSurvol3, 2},
    {kSurvol4, 4},
    {kSurvol5, 1},
    {kSurvol6, 2},
    {kSurvol7, 4},
    {kSurvol8, 1},
    {kSurvol9, 1},
}};

bool PageValide(int page) {
    return page >= 0 && page < kQ31FSetPages;
}

bool PageSansLecture(int page) {
    return page == 5 || page == 8 || page == 9;
}
bool PageSansEcriture(int page) {
    return page == 0 || page == 5 || page == 8 || page == 9;
}

int PageDuPanel(int panel) {
    for (int p = 0; p < kQ31FSetPages; ++p)
        if (Q31FSetG[p] == panel && panel > 0) return p;
    return -1;
}

void CouleursBouton(int button, int face, int caption) {
    if (button <= 0) return;
    SetCtrlAttribute(Q31FIhmG, button, ATTR_CMD_BUTTON_COLOR, face);
    SetCtrlAttribute(Q31FIhmG, button, ATTR_LABEL_COLOR, caption);
}

}  // namespace

namespace {
Q31MirrorResetFn mirrorReset = nullptr;
Q31MirrorRunFn mirrorRun = nullptr;
}  // namespace

void Q31FSetSetMirror(Q31MirrorResetFn reset, Q31MirrorRunFn run) {
    mirrorReset = reset;
    mirrorRun = run;
}

void Q31FSetMirrorReset(bool clearRecords, bool resetMemory) {
    if (mirrorReset) mirrorReset(clearRecords, resetMemory);
}

void Q31FSetMirrorRun(int run) {
    if (mirrorRun) mirrorRun(run);
}

int Q31FSetPanel(int page) {
    return PageValide(page) ? Q31FSetG[page] : 0;
}

int Q31FSetPageOuverte() {
    return g_pageOuverte;
}

void Q31FSetCharger() {
    for (int p = 0; p < kQ31FSetPages; ++p)
        Q31FSetG[p] = LoadPanel(Q31FIhmG, "FQ31.uir", kQ31FSetPanelBase + p);
    g_pageOuverte = -1;
    g_bouton = 0;
    Q31FSetListesFixes();
}

void Q31FSetOuvrir(int page, int button) {
    if (g_pageOuverte >= 0 || !PageValide(page)) return;
    g_bouton = button;
    CouleursBouton(button, kCouleurTexte, kCouleurBouton);
    const Survol& s = kSurvol[page];
    GenEffaceLabel(Q31FSetG[page], s.captioned, s.controls.data());
    Q31FSetLire(page);
    Q31FSetParam(page);
    DisplayPanel(Q31FSetG[page]);
    g_pageOuverte = page;
}

void Q31FSetFermer() {
    if (g_pageOuverte < 0) return;
    HidePanel(Q31FSetG[g_pageOuverte]);
    CouleursBouton(g_bouton, kCouleurBouton, kCouleurTexte);
    g_pageOuverte = -1;
    g_bouton = 0;
}

void Q31FSetSurvol() {
    if (g_pageOuverte < 0) return;
    const Survol& s = kSurvol[g_pageOuverte];
    GenSurvolBp(Q31FSetG[g_pageOuverte], int(s.controls.size()), s.captioned, s.controls.data());
}

void Q31FSetLire(int page) {
    if (!PageValide(page) || PageSansLecture(page)) return;
    SbWait(Q31FIhmG, Q31TxtMesG[0]);
    Q31FSetEnvoyerLectures(page);
    SbFermerWait(true, 0);
}

void Q31FSetEcrire(int page) {
    if (!PageValide(page) || PageSansEcriture(page)) return;
    SbWait(Q31FIhmG, Q31TxtMesG[1]);
    Q31FSetEnvoyerEcritures(page);
    SbFermerWait(true, 0);
}

void Q31FSetParam(int page) {
    const int panel = Q31FSetPanel(page);
    switch (page) {
        case 0:
            Q31FSetParamRun(panel);
            break;
        case 1:
            Q31FSetParamSynchro(panel);
            break;
        case 2:
            Q31FSetParamMode(panel);
            break;
        case 3:
            Q31FSetParamProg(panel);
            break;
        case 4:
            Q31FSetParamGeneral(panel);
            break;
        case 5:
            Q31FSetParamChargement(panel);
            break;
        case 6:
            Q31FSetParamEthernet(panel);
            break;
        case 7:
            Q31FSetParamGsm(panel);
            break;
        default:
            break;
    }
}

void Q31FSetParamGet(int page) {
    const int panel = Q31FSetPanel(page);
    switch (page) {
        case 1:
            Q31FSetGetSynchro(panel);
            break;
        case 2:
            Q31FSetGetMode(panel);
            break;
        case 3:
            Q31FSetGetProg(panel);
            break;
        case 4:
            Q31FSetGetGeneral(panel);
            break;
        case 5:
            Q31FSetGetChargement(panel);
            break;
        case 6:
            Q31FSetGetEthernet(panel);
            break;
        case 7:
            Q31FSetGetGsm(panel);
            break;
        default:
            break;  // page 0 acts at once; pages 8 and 9 hold nothing
    }
}

void Q31FSetSimTextGSM() {
    const int panel = Q31FSetPanel(7);
    if (panel > 0) InsertTextBoxLine(panel, PAGE7_TEXTS, 0, SbCrG.gsmText);
}

int FQ31Set(int, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    for (int i = 0; i < int(kBoutonsPages.size()); ++i)
        if (control == kBoutonsPages[i]) Q31FSetOuvrir(i, control);
    for (int k = 0; k < int(kBoutonsExtensions.size()); ++k) {
        if (control != kBoutonsExtensions[k]) continue;
        const int type = SbComG.extensions[k];
        if (type >= 1 && type <= 4) Q31FSetOuvrir(5 + type, control);
    }
    return 0;
}

int FQ31SetQuit(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Q31FSetFermer();
    return 0;
}

int FQ31SetValider(int panel, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int page = PageDuPanel(panel);
    if (page < 0) return 0;
    Q31FSetParamGet(page);
    // A text the clock would refuse is named now, before the GSM write's first command
    // clears the module's items.
    if (const char item = Q31FSetItemRefuse(page)) {
        char text[300];
        StrFormat(text, sizeof text, "%s %c", Q31TxtMesG[kQ31MesCheckRefused], item);
        SbPopup(Q31FIhmG, GMessageG[1], text, GLabelBpG[8]);
        SetActivePanel(panel);
        return 0;
    }
    Q31FSetEcrire(page);
    Q31FSetMirrorReset(false, true);
    SetActivePanel(panel);
    return 0;
}

void Q31FSetEnregistrerCallbacks() {
    struct Nom {
        const char* name;
        CtrlCallbackPtr fn;
    };
    static constexpr Nom kNoms[] = {
        {"FQ31Set", FQ31Set},
        {"FQ31SetQuit", FQ31SetQuit},
        {"FQ31SetValider", FQ31SetValider},
        {"FQ31SetChrono", FQ31SetChrono},
        {"FQ31CmdEthernet", FQ31CmdEthernet},
        {"FQ31CmdGsm", FQ31CmdGsm},
        {"FQ31ChoixGsm", FQ31ChoixGsm},
        {"FQ31SetManche", FQ31SetManche},
        {"FQ31SetSynchro", FQ31SetSynchro},
        {"FQ31SetProgNumCharger", FQ31SetProgNumCharger},
        {"FQ31SetProgNumSauver", FQ31SetProgNumSauver},
        {"FQ31SetProgCharger", FQ31SetProgCharger},
        {"FQ31SetProgSauver", FQ31SetProgSauver},
        {"FQ31MancheCible", FQ31MancheCible},
        {"FQ31MancheCharger", FQ31MancheCharger},
        {"FQ31SetRaz", FQ31SetRaz},
        {"FQ31SetParamSauver", FQ31SetParamSauver},
        {"FQ31SetParamCharger", FQ31SetParamCharger},
        {"FQ31SetGsmSauver", FQ31SetGsmSauver},
        {"FQ31SetGsmCharger", FQ31SetGsmCharger},
    };
    for (const Nom& n : kNoms) RegisterCallback(n.name, n.fn);
}
