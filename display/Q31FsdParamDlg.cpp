// The second-display section of the application parameters dialog: captions, record to
// controls and back, and the callbacks that lay the display out again as the operator edits.
#include "display/Q31FsdParamDlg.h"

#include <array>
#include <cstring>

#include "display/FsdGeometre.h"
#include "display/FsdImages.h"
#include "display/FsdPanneaux.h"
#include "display/FsdParamFile.h"
#include "display/Q31Fsd.h"
#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

// The controls of one window, light or logo, in the order of its record entry.
struct Entree {
    int visible, top, left, height, width, extra;  // extra: light mode or logo load button
};
constexpr std::array<Entree, 2> kFenetres = {{
    {PARAMS_WIN1_VISIBLE, PARAMS_WIN1_TOP, PARAMS_WIN1_LEFT, PARAMS_WIN1_HEIGHT, PARAMS_WIN1_WIDTH, 0},
    {PARAMS_WIN2_VISIBLE, PARAMS_WIN2_TOP, PARAMS_WIN2_LEFT, PARAMS_WIN2_HEIGHT, PARAMS_WIN2_WIDTH, 0},
}};
constexpr Entree Feu(int k) {
    const int b = PARAMS_LIGHT1_VISIBLE + 10 * k;
    return {b, b + 1, b + 2, b + 3, b + 4, b + 5};
}
constexpr Entree Logo(int k) {
    const int b = PARAMS_LOGO1_VISIBLE + 10 * k;
    return {b, b + 1, b + 2, b + 3, b + 4, b + 5};
}
static_assert(Feu(3).extra == PARAMS_LIGHT4_MODE && Logo(3).extra == PARAMS_LOGO4_LOAD);

FsdParam& Rec() {
    return Q31G.secondDisplay;
}

int Lire(int dlg, int ctrl) {
    int v = 0;
    GetCtrlVal(dlg, ctrl, &v);
    return v;
}

void Caption(int dlg, int ctrl, const char* text) {
    SetCtrlAttribute(dlg, ctrl, ATTR_LABEL_TEXT, text);
}

void SetPosition(int dlg, const Entree& e, int visible, int top, int left, int height, int width) {
    SetCtrlVal(dlg, e.visible, visible ? 1 : 0);
    SetCtrlVal(dlg, e.top, top);
    SetCtrlVal(dlg, e.left, left);
    SetCtrlVal(dlg, e.height, height);
    SetCtrlVal(dlg, e.width, width);
}

void Dimmer(int dlg, const Entree& e, bool dim, bool withExtra) {
    for (int ctrl : {e.top, e.left, e.height, e.width}) SetCtrlAttribute(dlg, ctrl, ATTR_DIMMED, dim);
    if (withExtra) SetCtrlAttribute(dlg, e.extra, ATTR_DIMMED, dim);
}

int EditEnCours(int dlg) {
    return Lire(dlg, PARAMS_EDIT);
}

// Which entry a control of a section belongs to (-1 if none).
template <typename F>
int Trouver(int ctrl, int count, F entree) {
    for (int k = 0; k < count; ++k) {
        const Entree e = entree(k);
        if (ctrl == e.visible || ctrl == e.top || ctrl == e.left || ctrl == e.height || ctrl == e.width ||
            ctrl == e.extra)
            return k;
    }
    return -1;
}

bool ChoisirImage(int dlg, const char* defaultName, char path[260]) {
    char types[64];
    Q31FsdTypesImages(types, sizeof types);
    return FileSelectPopup("Data", defaultName, types, Q31TxtMesG[11], VAL_LOAD_BUTTON, 0, 0, 1, 0, path) !=
               VAL_NO_FILE_SELECTED &&
           path[0] != 0 && dlg > 0;
}

}  // namespace

void Q31FsdTypesImages(char* out, size_t size) {
    if (!out || size == 0) return;
    out[0] = 0;
    for (const char* ext : {"jpg", "bmp", "png", "pcx"}) {
        const size_t used = strlen(out);
        if (ImageFormatReadable(ext)) StrFormat(out + used, size - used, "*.%s;", ext);
    }
}

void Q31FsdParamTraduire(int dlg) {
    char text[96];
    SetCtrlVal(dlg, PARAMS_HELP_1, Q31TxtMesG[15]);
    SetCtrlVal(dlg, PARAMS_HELP_2, Q31TxtMesG[16]);
    SetCtrlVal(dlg, PARAMS_FSD_TITLE, Q31TxtLabelG[34]);
    Caption(dlg, PARAMS_TEXT1, Q31TxtLabelG[35]);
    Caption(dlg, PARAMS_TEXT2, Q31TxtLabelG[36]);
    Caption(dlg, PARAMS_TEXT_COLOR, Q31TxtLabelG[37]);
    Caption(dlg, PARAMS_BACK_COLOR, Q31TxtLabelG[38]);
    Caption(dlg, PARAMS_LOAD_BACKGROUND, Q31TxtLabelG[39]);
    const int sections[4] = {PARAMS_SEC_TEXTS, PARAMS_SEC_WINDOWS, PARAMS_SEC_LIGHTS, PARAMS_SEC_LOGOS};
    for (int i = 0; i < 4; ++i) {
        StrFormat(text, sizeof text, " %s ", Q31TxtLabelG[40 + i]);
        Caption(dlg, sections[i], text);
    }
    Caption(dlg, PARAMS_WIN1_VISIBLE, Q31TxtLabelG[45]);
    Caption(dlg, PARAMS_WIN2_VISIBLE, Q31TxtLabelG[44]);
    for (int k = 0; k < 4; ++k) {
        StrFormat(text, sizeof text, "%s %d :", Q31TxtLabelG[46], k + 1);
        Caption(dlg, Feu(k).visible, text);
        ClearListCtrl(dlg, Feu(k).extra);
        for (int m = 0; m < 12; ++m) InsertListItem(dlg, Feu(k).extra, -1, Q31TxtLabelG[49 + m], m);
        StrFormat(text, sizeof text, "%s %d :", Q31TxtLabelG[47], k + 1);
        Caption(dlg, Logo(k).visible, text);
        Caption(dlg, Logo(k).extra, Q31TxtLabelG[39]);
    }
    Caption(dlg, PARAMS_SAVE, Q31TxtLabelG[9]);
    Caption(dlg, PARAMS_LOAD, Q31TxtLabelG[10]);
    Caption(dlg, PARAMS_DEFAULT, Q31TxtLabelG[48]);
    Caption(dlg, PARAMS_SHOW_BACKGROUND, Q31TxtLabelG[kQ31LabBackgroundImage]);
    Caption(dlg, PARAMS_SHOW_DIGITAL, Q31TxtLabelG[kQ31LabDialDigits]);
    Caption(dlg, PARAMS_EDIT, Q31TxtLabelG[kQ31LabEditMode]);
}

void Q31FsdParamSet(int dlg, bool edit) {
    const FsdParam& r = Rec();
    SetCtrlVal(dlg, PARAMS_TEXT1, r.text1);
    SetCtrlVal(dlg, PARAMS_TEXT2, r.text2);
    SetCtrlVal(dlg, PARAMS_TEXT_COLOR, r.textColour);
    SetCtrlVal(dlg, PARAMS_BACK_COLOR, r.backColour);
    SetCtrlVal(dlg, PARAMS_TEXT1_BACK, r.text1BackColour);
    SetCtrlVal(dlg, PARAMS_TEXT2_BACK, r.text2BackColour);
    SetCtrlVal(dlg, PARAMS_SHOW_BACKGROUND, r.showBackground ? 1 : 0);
    SetCtrlVal(dlg, PARAMS_SHOW_DIGITAL, r.showDigital ? 1 : 0);
    SetCtrlVal(dlg, PARAMS_EDIT, edit ? 1 : 0);
    for (int w = 0; w < 2; ++w) {
        const FsdWindow& f = r.windows[w];
        SetPosition(dlg, kFenetres[w], f.visible, f.top, f.left, f.height, f.width);
        Dimmer(dlg, kFenetres[w], edit, false);
    }
    for (int k = 0; k < 4; ++k) {
        const FsdLight& l = r.lights[k];
        SetPosition(dlg, Feu(k), l.visible, l.top, l.left, l.height, l.width);
        // A mode outside the list shows as "all colours" rather than failing.
        if (SetCtrlVal(dlg, Feu(k).extra, l.mode) != 0) SetCtrlVal(dlg, Feu(k).extra, 0);
        Dimmer(dlg, Feu(k), edit, false);
        const FsdLogo& g = r.logos[k];
        SetPosition(dlg, Logo(k), g.visible, g.top, g.left, g.height, g.width);
        Dimmer(dlg, Logo(k), edit, true);
    }
    SetCtrlAttribute(dlg, PARAMS_OK, ATTR_DIMMED, edit);
    for (int ctrl : {PARAMS_HELP_MARK_1, PARAMS_HELP_1, PARAMS_HELP_MARK_2, PARAMS_HELP_2})
        SetCtrlAttribute(dlg, ctrl, ATTR_VISIBLE, edit);
}

void Q31FsdParamGet(int dlg) {
    FsdParam& r = Rec();
    GetCtrlVal(dlg, PARAMS_TEXT1, r.text1, sizeof r.text1);
    GetCtrlVal(dlg, PARAMS_TEXT2, r.text2, sizeof r.text2);
    r.textColour = Lire(dlg, PARAMS_TEXT_COLOR) & 0xFFFFFF;
    r.backColour = Lire(dlg, PARAMS_BACK_COLOR) & 0xFFFFFF;
    r.text1BackColour = Lire(dlg, PARAMS_TEXT1_BACK) & 0xFFFFFF;
    r.text2BackColour = Lire(dlg, PARAMS_TEXT2_BACK) & 0xFFFFFF;
    r.showBackground = Lire(dlg, PARAMS_SHOW_BACKGROUND) ? 1 : 0;
    r.showDigital = Lire(dlg, PARAMS_SHOW_DIGITAL) ? 1 : 0;
    for (int w = 0; w < 2; ++w) {
        const Entree& e = kFenetres[w];
        FsdWindow& f = r.windows[w];
        f = {Lire(dlg, e.visible) ? 1 : 0, Lire(dlg, e.top), Lire(dlg, e.left), Lire(dlg, e.height),
             Lire(dlg, e.width)};
    }
    for (int k = 0; k < 4; ++k) {
        const Entree l = Feu(k);
        FsdLight& f = r.lights[k];
        f = {Lire(dlg, l.visible) ? 1 : 0, Lire(dlg, l.top),   Lire(dlg, l.left),
             Lire(dlg, l.height),          Lire(dlg, l.width), Lire(dlg, l.extra)};
        const Entree g = Logo(k);
        FsdLogo& o = r.logos[k];
        o.visible = Lire(dlg, g.visible) ? 1 : 0;
        o.top = Lire(dlg, g.top);
        o.left = Lire(dlg, g.left);
        o.height = Lire(dlg, g.height);
        o.width = Lire(dlg, g.width);
    }
}

int FQ31PFsd(int dlg, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Q31FsdParamGet(dlg);
    Q31FsdInit(false, EditEnCours(dlg) != 0);
    return 0;
}

int FQ31PFsdPos(int dlg, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Q31FsdParamGet(dlg);
    Q31FsdInit(true, false);
    return 0;
}

int FQ31PFsdFenH(int dlg, int ctrl, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int w = ctrl == PARAMS_WIN1_HEIGHT ? FSD_WIN_COUNTDOWN : FSD_WIN_DIAL;
    FsdWindow& f = Rec().windows[w];
    f.height = Lire(dlg, kFenetres[w].height);
    f.width = FsdLargeurFenetre(w, f.height);
    SetCtrlVal(dlg, kFenetres[w].width, f.width);
    Q31FsdInit(true, false);
    return 0;
}

int FQ31PFsdFeuH(int dlg, int ctrl, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = Trouver(ctrl, 4, Feu);
    if (k < 0) return 0;
    FsdLight& l = Rec().lights[k];
    l.height = Lire(dlg, Feu(k).height);
    l.width = l.height;  // a light is round
    SetCtrlVal(dlg, Feu(k).width, l.width);
    Q31FsdInit(true, false);
    return 0;
}

int FQ31PFsdLogoH(int dlg, int ctrl, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = Trouver(ctrl, 4, Logo);
    if (k < 0) return 0;
    Rec().logos[k].height = Lire(dlg, Logo(k).height);
    Q31FsdInit(true, false);
    return 0;
}

int FQ31PFsdLogoW(int dlg, int ctrl, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = Trouver(ctrl, 4, Logo);
    if (k < 0) return 0;
    Rec().logos[k].width = Lire(dlg, Logo(k).width);
    Q31FsdInit(true, false);
    return 0;
}

int FQ31PFsdSauver(int dlg, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SetPanelAttribute(dlg, ATTR_DIMMED, 1);
    char path[260] = "";
    if (FileSelectPopup("Settings", "*.q31fsd", "*.q31fsd", Q31TxtMesG[10], VAL_SAVE_BUTTON, 0, 1, 1, 0,
                        path) != VAL_NO_FILE_SELECTED &&
        path[0] != 0)
        Q31FsdParamSauver(path, &Rec());
    SetPanelAttribute(dlg, ATTR_DIMMED, 0);
    return 0;
}

int FQ31PFsdCharger(int dlg, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SetPanelAttribute(dlg, ATTR_DIMMED, 1);
    char path[260] = "";
    if (FileSelectPopup("Settings", "*.q31fsd", "*.q31fsd", Q31TxtMesG[11], VAL_LOAD_BUTTON, 0, 1, 1, 0,
                        path) != VAL_NO_FILE_SELECTED &&
        path[0] != 0) {
        Q31FsdParamCharger(path, &Rec());
        FsdOublierImages();
        Q31FsdParamSet(dlg, false);
        Q31FsdInit(true, false);
    }
    SetPanelAttribute(dlg, ATTR_DIMMED, 0);
    return 0;
}

int FQ31PFsdLoadFond(int dlg, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SetPanelAttribute(dlg, ATTR_DIMMED, 1);
    char path[260] = "";
    if (ChoisirImage(dlg, "*.jpg", path)) {
        FsdLoadImage(path, Rec().background);
        Q31FsdInit(true, false);
    }
    SetPanelAttribute(dlg, ATTR_DIMMED, 0);
    return 0;
}

int FQ31PFsdLoadLogo(int dlg, int ctrl, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = Trouver(ctrl, 4, Logo);
    if (k < 0) return 0;
    SetPanelAttribute(dlg, ATTR_DIMMED, 1);
    char path[260] = "";
    if (ChoisirImage(dlg, "*.png", path) && FsdLoadImage(path, Rec().logos[k].path)) {
        const int display = FsdPanneauxG.display;
        const int logo = fq31_sd::DISPLAY_LOGO1 + k;
        // The logo takes the image's own size, read back in the display's own pixels.
        const FsdLogo avant = Rec().logos[k];
        SetCtrlAttribute(display, logo, ATTR_FIT_MODE, VAL_SIZE_TO_IMAGE);
        // A file that is not a readable image must not leave the former picture, nor take
        // the former picture's size: the logo then shows nothing and keeps its own size.
        const bool lisible = DisplayImageFile(display, logo, Rec().logos[k].path) == 0;
        if (!lisible) DeleteImage(display, logo);
        Q31FsdGetTaille();
        int h = 0, w = 0;
        if (!lisible) {
            Rec().logos[k].height = avant.height;
            Rec().logos[k].width = avant.width;
        } else if (GetCtrlAttribute(display, logo, ATTR_IMAGE_HEIGHT, &h) == 0 && h > 0 &&
                   GetCtrlAttribute(display, logo, ATTR_IMAGE_WIDTH, &w) == 0 && w > 0) {
            Rec().logos[k].height = h;
            Rec().logos[k].width = w;
        }
        FsdOublierImages();
        Q31FsdParamSet(dlg, false);
        Q31FsdInit(true, false);
    }
    SetPanelAttribute(dlg, ATTR_DIMMED, 0);
    return 0;
}

void Q31FsdEnregistrerCallbacks() {
    RegisterCallback("FQ31PFsd", FQ31PFsd);
    RegisterCallback("FQ31PFsdPos", FQ31PFsdPos);
    RegisterCallback("FQ31PFsdFenH", FQ31PFsdFenH);
    RegisterCallback("FQ31PFsdFeuH", FQ31PFsdFeuH);
    RegisterCallback("FQ31PFsdLogoH", FQ31PFsdLogoH);
    RegisterCallback("FQ31PFsdLogoW", FQ31PFsdLogoW);
    RegisterCallback("FQ31PFsdSauver", FQ31PFsdSauver);
    RegisterCallback("FQ31PFsdCharger", FQ31PFsdCharger);
    RegisterCallback("FQ31PFsdLoadFond", FQ31PFsdLoadFond);
    RegisterCallback("FQ31PFsdLoadLogo", FQ31PFsdLoadLogo);
    RegisterCallback("FQ31_FsdGere", FQ31_FsdGere);
    RegisterCallback("FQ31_FsdFenGere", FQ31_FsdFenGere);
}
