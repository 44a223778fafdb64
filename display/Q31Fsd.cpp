// The second display: loading, showing and hiding it, laying it out from the
// second-display record, reading positions back after edit mode, and its own window
// handling (close box, full screen, dragging the windows in edit mode).
#include "display/Q31Fsd.h"

#include <array>
#include <cstring>

#include "display/FsdImages.h"
#include "display/FsdPanneaux.h"
#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

using namespace fq31_sd;

FsdPanneaux FsdPanneauxG;

namespace {

constexpr std::array<int, 4> kLights = {DISPLAY_LIGHT1, DISPLAY_LIGHT2, DISPLAY_LIGHT3, DISPLAY_LIGHT4};
constexpr std::array<int, 4> kLogos = {DISPLAY_LOGO1, DISPLAY_LOGO2, DISPLAY_LOGO3, DISPLAY_LOGO4};
constexpr int kFrames[3] = {DISPLAY_FRAME1, DISPLAY_FRAME2, DISPLAY_FRAME3};

// Elements of the display that do not move with the record, in layout pixels.
struct Fixe {
    int ctrl;
    FsdRect r;
};
constexpr Fixe kFixes[] = {
    {DISPLAY_BACKGROUND, {kFsdFondTop, kFsdFondLeft, kFsdFondHauteur, kFsdFondLargeur}},
    {DISPLAY_FRAME1, {63, 8, 3, 944}},
    {DISPLAY_FRAME2, {714, 8, 3, 944}},
    {DISPLAY_FRAME3, {8, 478, 52, 4}},
    {DISPLAY_TEXT1, {6, 62, 54, 410}},
    {DISPLAY_TEXT2, {6, 488, 54, 410}},
    {DISPLAY_SIM_MARK1, {684, 610, 26, 180}},
    {DISPLAY_SIM_MARK2, {76, 170, 26, 180}},
};

constexpr int kGrip = 18;  // bottom-right corner of a window that resizes it in edit mode
constexpr int kMinWindow = 40;
constexpr double kGlisserMax = 60.0;  // a release lost to the window system ends the drag anyway

FsdParam& Rec() {
    return Q31G.secondDisplay;
}
FsdPanneaux& P() {
    return FsdPanneauxG;
}
int PanneauFenetre(int window) {
    return window == FSD_WIN_COUNTDOWN ? P().countdown : P().dial;
}

void Placer(int panel, int ctrl, FsdRect r) {
    SetCtrlAttribute(panel, ctrl, ATTR_TOP, r.top);
    SetCtrlAttribute(panel, ctrl, ATTR_LEFT, r.left);
    SetCtrlAttribute(panel, ctrl, ATTR_HEIGHT, r.height);
    SetCtrlAttribute(panel, ctrl, ATTR_WIDTH, r.width);
}

FsdRect Ecran(FsdRect r) {
    return FsdVersEcran(P().echelle, r);
}
FsdRect Ecran(const FsdWindow& w) {
    return Ecran(FsdRect{w.top, w.left, w.height, w.width});
}

FsdRect RectPanneau(int panel) {
    FsdRect r{};
    GetPanelAttribute(panel, ATTR_TOP, &r.top);
    GetPanelAttribute(panel, ATTR_LEFT, &r.left);
    GetPanelAttribute(panel, ATTR_HEIGHT, &r.height);
    GetPanelAttribute(panel, ATTR_WIDTH, &r.width);
    return r;
}

FsdRect RectControle(int ctrl) {
    FsdRect r{};
    GetCtrlAttribute(P().display, ctrl, ATTR_TOP, &r.top);
    GetCtrlAttribute(P().display, ctrl, ATTR_LEFT, &r.left);
    GetCtrlAttribute(P().display, ctrl, ATTR_HEIGHT, &r.height);
    GetCtrlAttribute(P().display, ctrl, ATTR_WIDTH, &r.width);
    return r;
}

void MesurerEchelle() {
    int h = 0, w = 0;
    GetPanelAttribute(P().display, ATTR_HEIGHT, &h);
    GetPanelAttribute(P().display, ATTR_WIDTH, &w);
    P().drawnHeight = h;
    P().drawnWidth = w;
    // In edit mode the record's pixels are the panel's pixels, so dragging reads back exactly.
    P().echelle = P().edit ? FsdEchelle{} : FsdEchelleDe(h, w);
}

// Text sizes at the layout's own scale; they grow with the display like everything else.
constexpr int kPointsTexte = 28;
constexpr int kPointsMarque = 13;

void PlacerFixes() {
    for (const Fixe& f : kFixes) Placer(P().display, f.ctrl, Ecran(f.r));
    const double s = P().echelle.scale;
    for (int ctrl : {DISPLAY_TEXT1, DISPLAY_TEXT2})
        SetCtrlAttribute(P().display, ctrl, ATTR_TEXT_POINT_SIZE, int(kPointsTexte * s + 0.5));
    for (int ctrl : {DISPLAY_SIM_MARK1, DISPLAY_SIM_MARK2})
        SetCtrlAttribute(P().display, ctrl, ATTR_TEXT_POINT_SIZE, int(kPointsMarque * s + 0.5));
}

void PlacerFeuxLogos() {
    const FsdParam& r = Rec();
    for (int k = 0; k < 4; ++k) {
        const FsdLight& l = r.lights[k];
        Placer(P().display, kLights[k], Ecran(FsdRect{l.top, l.left, l.height, l.width}));
        const FsdLogo& g = r.logos[k];
        Placer(P().display, kLogos[k], Ecran(FsdRect{g.top, g.left, g.height, g.width}));
    }
}

void PlacerFenetre(int window) {
    const FsdRect s = Ecran(Rec().windows[window]);
    const int panel = PanneauFenetre(window);
    SetPanelPos(panel, s.top, s.left);
    SetPanelSize(panel, s.height, s.width);
    if (window == FSD_WIN_COUNTDOWN)
        FsdPlacerContenuDecompte();
    else
        FsdPlacerContenuCadran();
}

// The border follows the countdown window where it actually stands.
void PlacerBordure() {
    const FsdRect c = RectPanneau(P().countdown);
    const FsdRect b = FsdBordure(FsdWindow{1, c.top, c.left, c.height, c.width});
    Placer(P().display, DISPLAY_BORDER, b);
}

// The dial window's copy of the background lines up with the display's picture.
void PlacerCopieFond() {
    const FsdRect d = RectPanneau(P().dial);
    const FsdRect fond = Ecran(FsdRect{kFsdFondTop, kFsdFondLeft, kFsdFondHauteur, kFsdFondLargeur});
    Placer(P().dial, DIAL_WIN_BACK_COPY,
           FsdRect{fond.top - d.top, fond.left - d.left, fond.height, fond.width});
}

int simuleAffiche = -1;

void MarqueSimulation() {
    const bool simule = SbComG.simulation != 0;
    const bool premiere = FsdMarquePremierePlace(Rec().windows[FSD_WIN_DIAL]);
    SetCtrlAttribute(P().display, DISPLAY_SIM_MARK1, ATTR_VISIBLE, simule && premiere);
    SetCtrlAttribute(P().display, DISPLAY_SIM_MARK2, ATTR_VISIBLE, simule && !premiere);
    simuleAffiche = simule ? 1 : 0;
}

void AppliquerEdition(bool edit) {
    if (edit == P().edit) return;
    SetPanelAttribute(P().display, ATTR_SIZABLE, !edit);
    SetPanelAttribute(P().display, ATTR_CAN_MAXIMIZE, !edit);
    SetPanelAttribute(P().display, ATTR_CAN_MINIMIZE, !edit);
    P().edit = edit;
}

void Textes() {
    const FsdParam& r = Rec();
    char titre[128];
    StrFormat(titre, sizeof titre, "%s QS-310", Q31TxtLabelG[1]);
    SetPanelAttribute(P().display, ATTR_TITLE, titre);
    SetPanelAttribute(P().display, ATTR_BACKCOLOR, r.backColour);
    SetCtrlVal(P().display, DISPLAY_TEXT1, r.text1);
    SetCtrlVal(P().display, DISPLAY_TEXT2, r.text2);
    for (int ctrl : {DISPLAY_TEXT1, DISPLAY_TEXT2})
        SetCtrlAttribute(P().display, ctrl, ATTR_TEXT_COLOR, r.textColour);
    SetCtrlAttribute(P().display, DISPLAY_TEXT1, ATTR_TEXT_BGCOLOR, r.text1BackColour);
    SetCtrlAttribute(P().display, DISPLAY_TEXT2, ATTR_TEXT_BGCOLOR, r.text2BackColour);
    for (int ctrl : kFrames) SetCtrlAttribute(P().display, ctrl, ATTR_BACKCOLOR, r.textColour);
    SetCtrlAttribute(P().display, DISPLAY_BORDER, ATTR_BACKCOLOR, r.textColour);
    SetCtrlVal(P().display, DISPLAY_SIM_MARK1, GLabelBpG[7]);
    SetCtrlVal(P().display, DISPLAY_SIM_MARK2, GLabelBpG[7]);
}

void Feux(bool edit) {
    for (int k = 0; k < 4; ++k) {
        SetCtrlAttribute(P().display, kLights[k], ATTR_VISIBLE, Rec().lights[k].visible != 0);
        SetCtrlAttribute(P().display, kLights[k], ATTR_MOUSE_EDIT, edit ? 1 : 0);
    }
}

void Logos() {
    for (int k = 0; k < 4; ++k) {
        const FsdLogo& g = Rec().logos[k];
        SetCtrlAttribute(P().display, kLogos[k], ATTR_VISIBLE, g.visible != 0);
        SetCtrlAttribute(P().display, kLogos[k], ATTR_FIT_MODE, VAL_SIZE_TO_PICTURE);
        if (g.visible) FsdAfficherImage(P().display, kLogos[k], g.path);
    }
}

void Fenetres(bool resize, bool edit, bool echelleChangee) {
    const FsdParam& r = Rec();
    const char* titres[2] = {Q31TxtLabelG[45], Q31TxtLabelG[44]};
    const int bars[2][2] = {{COUNTDOWN_EDIT_BAR, COUNTDOWN_GRIP}, {DIAL_WIN_EDIT_BAR, DIAL_WIN_GRIP}};
    for (int w = 0; w < 2; ++w) {
        const int panel = PanneauFenetre(w);
        SetPanelAttribute(panel, ATTR_BACKCOLOR, r.backColour);
        // Child windows have no title bar of their own: in edit mode a bar with the
        // window's title and a corner grip show that they can be dragged and sized.
        SetCtrlVal(panel, bars[w][0], titres[w]);
        SetCtrlAttribute(panel, bars[w][0], ATTR_VISIBLE, edit);
        SetCtrlAttribute(panel, bars[w][1], ATTR_VISIBLE, edit);
        if (resize && (!edit || echelleChangee)) PlacerFenetre(w);
        if (r.windows[w].visible)
            DisplayPanel(panel);
        else
            HidePanel(panel);
    }
}

void Fonds(bool edit) {
    const FsdParam& r = Rec();
    SetCtrlAttribute(P().display, DISPLAY_BACKGROUND, ATTR_BACKCOLOR, r.backColour);
    SetCtrlAttribute(P().dial, DIAL_WIN_BACK_COPY, ATTR_BACKCOLOR, r.backColour);
    PlacerCopieFond();
    if (!r.showBackground) {
        FsdEffacerImage(P().display, DISPLAY_BACKGROUND);
        FsdEffacerImage(P().dial, DIAL_WIN_BACK_COPY);
        return;
    }
    FsdAfficherImage(P().display, DISPLAY_BACKGROUND, r.background);
    if (edit)
        FsdEffacerImage(P().dial, DIAL_WIN_BACK_COPY);
    else
        FsdAfficherImage(P().dial, DIAL_WIN_BACK_COPY, r.background);
}

bool PleinEcran() {
    int zoom = VAL_NO_ZOOM;
    GetPanelAttribute(P().display, ATTR_WINDOW_ZOOM, &zoom);
    return zoom != VAL_NO_ZOOM;
}

void BasculerPleinEcran() {
    if (P().edit) return;
    SetPanelAttribute(P().display, ATTR_WINDOW_ZOOM, PleinEcran() ? VAL_NO_ZOOM : VAL_FULLSCREEN);
    ProcessSystemEvents();
    FsdSuivreTaille();
}

// Drags a window with the mouse until the button is released: from its corner grip it
// is resized, from anywhere else it is moved.
void Glisser(int panel, int y, int x) {
    const FsdRect depart = RectPanneau(panel);
    const bool taille = y >= depart.height - kGrip && x >= depart.width - kGrip;
    int mx0 = 0, my0 = 0, bouton = 0;
    GetRelativeMouseState(P().display, 0, &mx0, &my0, &bouton, nullptr, nullptr);
    const double debut = Timer();
    while (bouton && Timer() - debut < kGlisserMax) {
        int mx = 0, my = 0;
        GetRelativeMouseState(P().display, 0, &mx, &my, &bouton, nullptr, nullptr);
        if (taille) {
            SetPanelSize(panel, std::max(kMinWindow, depart.height + my - my0),
                         std::max(kMinWindow, depart.width + mx - mx0));
            if (panel == P().countdown)
                FsdPlacerContenuDecompte();
            else
                FsdPlacerContenuCadran();
        } else {
            SetPanelPos(panel, depart.top + my - my0, depart.left + mx - mx0);
        }
        ProcessSystemEvents();
        Delay(0.01);
    }
}

int TouchePleinEcran(int event, int key) {
    constexpr int kF11 = 0x0100003A;  // key codes above 0xFFFF are the toolkit's
    if (event == EVENT_LEFT_DOUBLE_CLICK || (event == EVENT_KEYPRESS && key == kF11)) {
        BasculerPleinEcran();
        return 1;
    }
    if (event == EVENT_KEYPRESS && key == 27 && PleinEcran()) {
        BasculerPleinEcran();
        return 1;
    }
    return 0;
}

}  // namespace

void FsdPlacerContenuDecompte() {
    const FsdRect c = RectPanneau(P().countdown);
    const FsdPlacesDecompte p = FsdPlacerDecompte(c.height, c.width);
    Placer(P().countdown, COUNTDOWN_MINUS, p.minus);
    Placer(P().countdown, COUNTDOWN_DIGIT1, p.digit1);
    Placer(P().countdown, COUNTDOWN_DIGIT2, p.digit2);
    Placer(P().countdown, COUNTDOWN_EDIT_BAR, FsdRect{0, 0, 22, c.width});
    Placer(P().countdown, COUNTDOWN_GRIP, FsdRect{c.height - 14, c.width - 14, 14, 14});
}

void FsdPlacerContenuCadran() {
    const FsdRect d = RectPanneau(P().dial);
    const FsdPlacesCadran p = FsdPlacerCadran(d.height, d.width);
    Placer(P().dial, DIAL_WIN_DIAL, p.dial);
    Placer(P().dial, DIAL_WIN_DIGITAL_BOX, p.box);
    Placer(P().dial, DIAL_WIN_DIGITAL_LINE, p.line);
    Placer(P().dial, DIAL_WIN_DIGIT1, p.digit1);
    Placer(P().dial, DIAL_WIN_DIGIT2, p.digit2);
    Placer(P().dial, DIAL_WIN_EDIT_BAR, FsdRect{0, 0, 22, d.width});
    Placer(P().dial, DIAL_WIN_GRIP, FsdRect{d.height - 14, d.width - 14, 14, 14});
    PlacerCopieFond();
}

void FsdPlacer() {
    MesurerEchelle();
    PlacerFixes();
    PlacerFeuxLogos();
    PlacerFenetre(FSD_WIN_COUNTDOWN);
    PlacerFenetre(FSD_WIN_DIAL);
    PlacerBordure();
    PlacerCopieFond();
}

void FsdSuivreTaille() {
    if (P().display <= 0) return;
    if ((SbComG.simulation != 0 ? 1 : 0) != simuleAffiche) MarqueSimulation();
    if (P().edit) return;
    int h = 0, w = 0;
    GetPanelAttribute(P().display, ATTR_HEIGHT, &h);
    GetPanelAttribute(P().display, ATTR_WIDTH, &w);
    if (h == P().drawnHeight && w == P().drawnWidth) return;
    FsdPlacer();
    // Pictures are decoded at the size they are shown: at a new size, once more.
    Logos();
    Fonds(false);
}

static void EcranRetire();

void Q31FsdCharger() {
    FsdPanneaux& p = P();
    p = FsdPanneaux{};
    FsdOublierImages();
    p.display = LoadPanel(0, "FQ31_SD.uir", DISPLAY);
    if (p.display <= 0) {
        p = FsdPanneaux{};
        return;
    }
    p.countdown = LoadPanel(p.display, "FQ31_SD.uir", COUNTDOWN);
    p.dial = LoadPanel(p.display, "FQ31_SD.uir", DIAL_WIN);
    for (int ctrl : kLogos) SetCtrlAttribute(p.display, ctrl, ATTR_MOUSE_EDIT, 1);
    for (int ctrl : {COUNTDOWN_DIGIT1, COUNTDOWN_DIGIT2}) SetCtrlVal(p.countdown, ctrl, 0);
    SetCtrlVal(p.countdown, COUNTDOWN_MINUS, 0);
    Q31FsdInit(true, false);
    SetScreenRemovedHook(EcranRetire);
}

// The first time in a run that the display is switched on, it goes to a second screen
// when the computer has one, full screen there: that screen faces the public.
static bool placeG = false;  // placed for the public since the start or since its screen went
static void PlacerSurEcranPublic() {
    if (placeG) return;
    placeG = true;
    int top = 0, left = 0, height = 0, width = 0;
    if (GetScreenCount() < 2 || GetScreenRect(1, &top, &left, &height, &width) != 0) return;
    SetPanelPos(P().display, top + 30, left + 10);
    DisplayPanel(P().display);
    SetPanelAttribute(P().display, ATTR_WINDOW_ZOOM, VAL_FULLSCREEN);
    ProcessSystemEvents();
    FsdSuivreTaille();
}

// A screen went away (the public's: a cable pulled, the television switched off). A display
// left full screen on the one screen left would cover the operator's window, or stand where
// no screen shows it: it is switched off. Switched on again, it goes to the public's screen
// again if there is one by then.
static void EcranRetire() {
    const int d = P().display;
    int visible = 0, zoom = 0;
    if (d <= 0 || GetScreenCount() >= 2 || GetPanelAttribute(d, ATTR_VISIBLE, &visible) != 0 || !visible ||
        GetPanelAttribute(d, ATTR_WINDOW_ZOOM, &zoom) != 0 || zoom != VAL_FULLSCREEN)
        return;
    SetPanelAttribute(d, ATTR_WINDOW_ZOOM, VAL_NO_ZOOM);
    Q31FsdFermer();
    placeG = false;
}

void Q31FsdOuvrir() {
    if (P().display <= 0) return;
    SetCtrlVal(Q31FIhmG, fq31::MAIN_FSD_SWITCH, 1);
    Q31FsdInit(false, false);
    DisplayPanel(P().display);
    PlacerSurEcranPublic();
}

void Q31FsdFermer() {
    if (P().display > 0) HidePanel(P().display);
    SetCtrlVal(Q31FIhmG, fq31::MAIN_FSD_SWITCH, 0);
}

void Q31FsdQuitter() {
    SetScreenRemovedHook(nullptr);
    if (P().display > 0) DiscardPanel(P().display);  // its two windows go with it
    P() = FsdPanneaux{};
    FsdOublierImages();
}

bool Q31FsdAffiche() {
    int visible = 0;
    return P().display > 0 && GetPanelAttribute(P().display, ATTR_VISIBLE, &visible) == 0 && visible;
}

void Q31FsdInit(bool resize, bool edit) {
    FsdPanneaux& p = P();
    if (p.display <= 0) return;
    // A display standing full screen for the public keeps its size when a setting
    // changes; edit mode always works on the plain 960 x 720 panel.
    if (edit && PleinEcran()) SetPanelAttribute(p.display, ATTR_WINDOW_ZOOM, VAL_NO_ZOOM);
    if (resize && (edit || !PleinEcran())) SetPanelSize(p.display, kFsdHauteur, kFsdLargeur);
    AppliquerEdition(edit);
    const double echelleAvant = p.echelle.scale;
    MesurerEchelle();
    const bool echelleChangee = p.echelle.scale != echelleAvant;

    Textes();
    PlacerFixes();
    PlacerFeuxLogos();
    Feux(edit);
    Logos();
    Fenetres(resize, edit, echelleChangee);
    const FsdParam& r = Rec();
    SetCtrlAttribute(p.display, DISPLAY_BORDER, ATTR_VISIBLE, r.windows[FSD_WIN_COUNTDOWN].visible && !edit);
    PlacerBordure();
    Q31FsdInitDigital(r.showDigital != 0);
    Fonds(edit);
    MarqueSimulation();
}

void Q31FsdGetTaille() {
    FsdPanneaux& p = P();
    if (p.display <= 0) return;
    FsdParam& r = Rec();
    for (int w = 0; w < 2; ++w) {
        const FsdRect l = FsdVersLayout(p.echelle, RectPanneau(PanneauFenetre(w)));
        r.windows[w].top = l.top;
        r.windows[w].left = l.left;
        r.windows[w].height = l.height;
        r.windows[w].width = FsdLargeurFenetre(w, l.height);  // the dragged width is not kept
    }
    for (int k = 0; k < 4; ++k) {
        const FsdRect l = FsdVersLayout(p.echelle, RectControle(kLights[k]));
        r.lights[k].top = l.top;
        r.lights[k].left = l.left;
        r.lights[k].height = l.height;
        r.lights[k].width = l.height;
        const FsdRect g = FsdVersLayout(p.echelle, RectControle(kLogos[k]));
        r.logos[k].top = g.top;
        r.logos[k].left = g.left;
        r.logos[k].height = g.height;
        r.logos[k].width = g.width;
    }
}

void Q31FsdInitDigital(bool show) {
    if (P().dial <= 0) return;
    SetCtrlAttribute(P().dial, DIAL_WIN_DIGITAL_BOX, ATTR_VISIBLE, show);
    SetCtrlAttribute(P().dial, DIAL_WIN_DIGITAL_LINE, ATTR_VISIBLE, show);
    // The segments come back with the next change of the digits.
    for (int ctrl : {DIAL_WIN_DIGIT1, DIAL_WIN_DIGIT2}) {
        SetCtrlVal(P().dial, ctrl, 0);
        SetCtrlAttribute(P().dial, ctrl, ATTR_VISIBLE, show);
    }
}

// The display's own window: its close box switches it off; a double click or F11 puts
// it full screen on the screen it stands on and back; a new size lays it out again at once,
// whether the clock is running or not.
int FQ31_FsdGere(int, int, int event, void*, int eventData1, int) {
    if (event == EVENT_CLOSE) {
        Q31FsdFermer();
        return 0;
    }
    if (event == EVENT_PANEL_SIZE) {
        FsdSuivreTaille();
        return 0;
    }
    return TouchePleinEcran(event, eventData1);
}

// The countdown and dial windows: dragged and sized with the mouse in edit mode.
int FQ31_FsdFenGere(int panel, int, int event, void*, int eventData1, int eventData2) {
    if (event == EVENT_LEFT_CLICK && P().edit) {
        Glisser(panel, eventData1, eventData2);
        return 1;
    }
    return TouchePleinEcran(event, eventData1);
}
