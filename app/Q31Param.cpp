// The application parameters dialog. Its loop keeps the background task running so
// the mirror and the simulated clock go on while the operator edits.
#include "app/Q31Param.h"

#include <array>
#include <cstring>

#include "app/LiveView.h"
#include "app/Q31Erreur.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "display/WebView.h"
#include "lib/StrBuf.h"
#include "link/SbComJournal.h"
#include "panels/FQ31.h"
#include "platform/Journal.h"
#include "platform/LocalSettings.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"
#include "ui/Dialogs.h"
#include "ui/FileNotices.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

// The dialog's hover list: its three captioned buttons, then the second-display
// section's switches, rings, colour choosers and buttons.
constexpr int kLegendes = 3;
constexpr std::array<int, 31> kSurvol = [] {
    std::array<int, 31> list{PARAMS_OK, PARAMS_CANCEL, PARAMS_DEFAULT};
    for (size_t i = 0; i < kQ31FsdSurvol.size(); ++i) list[3 + i] = kQ31FsdSurvol[i];
    return list;
}();
const char* const kLangues[4] = {"English", "Fran\347ais", "Deutsch", "Italiano"};

void Traduire(int dlg) {
    SetPanelAttribute(dlg, ATTR_TITLE, Q31TxtLabelG[4]);
    SetCtrlVal(dlg, PARAMS_TITLE, Q31TxtLabelG[4]);
    SetCtrlAttribute(dlg, PARAMS_CANCEL, ATTR_LABEL_TEXT, GLabelBpG[3]);
    SetCtrlAttribute(dlg, PARAMS_OK, ATTR_LABEL_TEXT, GLabelBpG[2]);
    char frame[80];
    StrFormat(frame, sizeof frame, " %s ", Q31TxtLabelG[30]);
    SetCtrlAttribute(dlg, PARAMS_FRAME, ATTR_LABEL_TEXT, frame);
    SetCtrlAttribute(dlg, PARAMS_LANGUAGE, ATTR_LABEL_TEXT, Q31TxtLabelG[31]);
    SetCtrlAttribute(dlg, PARAMS_SOUND, ATTR_LABEL_TEXT, Q31TxtLabelG[32]);
    SetCtrlAttribute(dlg, PARAMS_INPUTS, ATTR_LABEL_TEXT, Q31TxtLabelG[33]);
    SetCtrlAttribute(dlg, PARAMS_JOURNAL, ATTR_LABEL_TEXT, Q31TxtLabelG[kQ31LabelJournal]);
    ClearListCtrl(dlg, PARAMS_LANGUAGE);
    for (int i = 0; i < 4; ++i) InsertListItem(dlg, PARAMS_LANGUAGE, -1, kLangues[i], i);
    Q31FsdParamTraduire(dlg);
    StrFormat(frame, sizeof frame, "%s...", Q31TxtLabelG[kLabLiveView]);
    SetCtrlAttribute(dlg, PARAMS_LIVE_VIEW, ATTR_LABEL_TEXT, frame);
}

void Q31ParamIhmSet(int dlg) {
    SetCtrlVal(dlg, PARAMS_LANGUAGE, int(Q31G.language < 4 ? Q31G.language : 0));
    SetCtrlVal(dlg, PARAMS_SOUND, int(Q31G.soundOn != 0));
    SetCtrlVal(dlg, PARAMS_INPUTS, int(Q31G.inputButtonsShown != 0));
    SetCtrlVal(dlg, PARAMS_JOURNAL, JournalActive());
}

// The wire journal's switch is kept in the local settings: the application record's
// layout has no room for it.
void JournalGet(int dlg) {
    int on = 1;
    if (GetCtrlVal(dlg, PARAMS_JOURNAL, &on) != 0 || (on != 0) == (JournalActive() != 0)) return;
    const int reason = LocalSettingsSetInt(kSbComJournalReglage, on != 0);
    if (reason != FILE_WRITE_OK) SbNoteFileNotice(SbFileNotice::FileNotWritten, kLocalSettingsFile, reason);
    if (on)
        SbComJournalDemarrer();
    else
        SbComJournalArreter();
}

void Q31ParamIhmGet(int dlg) {
    int v = 0;
    if (GetCtrlVal(dlg, PARAMS_LANGUAGE, &v) == 0 && v >= 0 && v < 4) Q31G.language = uint8_t(v);
    if (GetCtrlVal(dlg, PARAMS_SOUND, &v) == 0) Q31G.soundOn = v ? 1 : 0;
    if (GetCtrlVal(dlg, PARAMS_INPUTS, &v) == 0) Q31G.inputButtonsShown = v ? 1 : 0;
}

void Placer(int dlg) {
    if (!Q31FsdAffiche()) {
        SetPanelAttribute(dlg, ATTR_WIDTH, 530);
        SetPanelAttribute(dlg, ATTR_HEIGHT, 130);
    } else {
        Q31FsdInit(true, false);
    }
    int screenH = 0, screenW = 0, h = 0;
    GetScreenSize(&screenH, &screenW);
    GetPanelAttribute(dlg, ATTR_HEIGHT, &h);
    SetPanelPos(dlg, (screenH - h) / 2, 140);
}

// Returns 1 for OK, 0 for cancel or when the loop was ended by a quit request or an error.
int Boucle(int dlg, const FsdParam& kept) {
    for (;;) {
        if (Q31QuitG || Q31Erreur()) return 0;
        GenSurvolBp(dlg, int(kSurvol.size()), kLegendes, kSurvol.data());
        Q31TacheDeFond(false);
        int panel = 0, control = 0;
        if (GetUserEvent(0, &panel, &control) != EVENT_COMMIT || panel != dlg) continue;
        if (control == PARAMS_CANCEL) {
            Q31G.secondDisplay = kept;
            Q31FsdInit(true, false);
            return 0;
        }
        if (control == PARAMS_OK) {
            Q31ParamIhmGet(dlg);
            JournalGet(dlg);
            Q31FsdParamGet(dlg);
            return 1;
        }
        if (control == PARAMS_LIVE_VIEW) {
            LiveViewDialog(dlg);
        } else if (control == PARAMS_DEFAULT) {
            SetCtrlVal(dlg, PARAMS_EDIT, 0);
            Q31FsdParamDefaut(&Q31G.secondDisplay, false);
            Q31FsdParamSet(dlg, false);
            Q31FsdInit(true, false);
        } else if (control == PARAMS_EDIT) {
            int edit = 0;
            GetCtrlVal(dlg, PARAMS_EDIT, &edit);
            if (!edit) Q31FsdGetTaille();
            Q31FsdParamSet(dlg, edit != 0);
            Q31FsdInit(true, edit != 0);
        }
    }
}

void RetraduireTout(int parent) {
    SbWait(parent, GMesComG[0]);
    Q31ChargerTextes();
    if (!Q31Erreur()) {
        WebViewNoteTexts();
        Q12FenTraduire();
        Q31FenTraduire();
        Q31FKeyTraduire();
        Q31FSetTraduire();
        Q31FsdInit(false, false);  // the second display's title, laid out before the texts changed
    }
    SbFermerWait(true, 0);
}

}  // namespace

bool Q31ParamIhm(int parent) {
    const uint8_t languageBefore = Q31G.language;
    SetPanelAttribute(parent, ATTR_DIMMED, 1);
    const int dlg = LoadPanel(0, "FQ31.uir", PARAMS);
    Traduire(dlg);
    Q31ParamIhmSet(dlg);
    const FsdParam kept = Q31G.secondDisplay;
    Q31FsdParamSet(dlg, false);
    Placer(dlg);
    DisplayPanel(dlg);

    const int ok = Boucle(dlg, kept);

    Q31FsdInit(false, false);
    DiscardPanel(dlg);
    if (Q31G.language != languageBefore)
        RetraduireTout(parent);
    else
        SetPanelAttribute(parent, ATTR_DIMMED, 0);
    return ok == 1;
}
