// The live view's settings, their dialog and the server they start. The dialog's
// loop keeps the background task running, as every dialog of the program does.
#include "app/LiveView.h"

#include <cctype>
#include <random>

#include "app/Q31Ihm.h"
#include "display/WebView.h"
#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "platform/LocalSettings.h"
#include "platform/WebServer.h"
#include "platform/cvi.h"
#include "ui/Dialogs.h"
#include "ui/FileNotices.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

constexpr const char* kEnabled = "LiveView/enabled";
constexpr const char* kPort = "LiveView/port";
constexpr const char* kAddress = "LiveView/address";
constexpr const char* kKey = "LiveView/key";
constexpr int kMaxAddresses = 16;

LiveViewSettings running;  // what the server runs with (enabled 0: stopped)

// Keys go into the address as they are: letters and digits only.
void CleanKey(char* key) {
    char* out = key;
    for (const char* p = key; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p)) && static_cast<unsigned char>(*p) < 0x80)
            *out++ = *p;
    *out = 0;
}

bool Same(const LiveViewSettings& a, const LiveViewSettings& b) {
    return a.enabled == b.enabled && a.port == b.port && strcmp(a.address, b.address) == 0 &&
           strcmp(a.key, b.key) == 0;
}

struct Dialog {
    int panel = 0;
    char addresses[kMaxAddresses + 1][64] = {};  // ring value i names addresses[i]; 0 every interface
    int count = 1;
    int reason = WEB_OK;  // of the last try from this dialog
    LiveViewSettings shown;
    int viewersShown = -1;
};

void FillAddresses(Dialog& d, const char* keep) {
    d.count = 1 + WebServerAddresses(&d.addresses[1], kMaxAddresses - 1);
    bool found = !keep[0];
    for (int i = 1; i < d.count; ++i) found = found || strcmp(d.addresses[i], keep) == 0;
    if (!found) StrCopy(d.addresses[d.count++], 64, keep);  // kept, even while it is not up
    ClearListCtrl(d.panel, LIVE_ADDRESS);
    InsertListItem(d.panel, LIVE_ADDRESS, -1, Q31TxtLabelG[kLabLiveAllInterfaces], 0);
    for (int i = 1; i < d.count; ++i) InsertListItem(d.panel, LIVE_ADDRESS, -1, d.addresses[i], i);
}

void Show(Dialog& d, const LiveViewSettings& s) {
    SetCtrlVal(d.panel, LIVE_ENABLE, s.enabled);
    SetCtrlVal(d.panel, LIVE_PORT, s.port);
    SetCtrlVal(d.panel, LIVE_KEY, s.key);
    int item = 0;
    for (int i = 1; i < d.count; ++i)
        if (s.address[0] && strcmp(d.addresses[i], s.address) == 0) item = i;
    SetCtrlVal(d.panel, LIVE_ADDRESS, item);
}

LiveViewSettings Read(const Dialog& d) {
    LiveViewSettings s;
    GetCtrlVal(d.panel, LIVE_ENABLE, &s.enabled);
    GetCtrlVal(d.panel, LIVE_PORT, &s.port);
    GetCtrlVal(d.panel, LIVE_KEY, s.key, sizeof s.key);
    CleanKey(s.key);
    int item = 0;
    GetCtrlVal(d.panel, LIVE_ADDRESS, &item);
    StrCopy(s.address, item > 0 && item < d.count ? d.addresses[item] : "");
    return s;
}

// The address to open, its QR code and the server's state, as the fields now stand.
void Refresh(Dialog& d) {
    const LiveViewSettings s = Read(d);
    const int viewers = WebServerViewers();
    if (Same(s, d.shown) && viewers == d.viewersShown) return;
    char url[160];
    LiveViewUrl(s, url, sizeof url);
    SetCtrlVal(d.panel, LIVE_URL, s.enabled ? url : "");
    DisplayQrCode(d.panel, LIVE_QR, s.enabled ? url : "");
    char status[300];
    if (d.reason != WEB_OK)
        StrCopy(status, LiveViewReason(d.reason));
    else if (!running.enabled)
        StrCopy(status, Q31TxtLabelG[kLabLiveOff]);
    else
        StrFormat(status, sizeof status, "%s %d", Q31TxtLabelG[kLabLiveViewers], viewers);
    SetCtrlVal(d.panel, LIVE_STATUS, status);
    SetCtrlAttribute(d.panel, LIVE_QR, ATTR_VISIBLE, s.enabled ? 1 : 0);
    d.shown = s;
    d.viewersShown = viewers;
}

void Translate(int panel) {
    SetCtrlVal(panel, LIVE_TITLE, Q31TxtLabelG[kLabLiveView]);
    SetPanelAttribute(panel, ATTR_TITLE, Q31TxtLabelG[kLabLiveView]);
    SetCtrlAttribute(panel, LIVE_ENABLE, ATTR_LABEL_TEXT, Q31TxtLabelG[kLabLiveOn]);
    SetCtrlVal(panel, LIVE_PORT_LABEL, Q31TxtLabelG[kLabLivePort]);
    SetCtrlVal(panel, LIVE_ADDRESS_LABEL, Q31TxtLabelG[kLabLiveAddress]);
    SetCtrlVal(panel, LIVE_KEY_LABEL, Q31TxtLabelG[kLabLiveKey]);
    SetCtrlAttribute(panel, LIVE_NEW_KEY, ATTR_LABEL_TEXT, Q31TxtLabelG[kLabLiveNewKey]);
    SetCtrlVal(panel, LIVE_URL_LABEL, Q31TxtLabelG[kLabLiveUrl]);
    SetCtrlAttribute(panel, LIVE_OK, ATTR_LABEL_TEXT, GLabelBpG[2]);
    SetCtrlAttribute(panel, LIVE_CANCEL, ATTR_LABEL_TEXT, GLabelBpG[3]);
}

void NewKey(int panel) {
    static const char kChars[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::random_device random;
    std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
    char key[11];
    for (size_t i = 0; i + 1 < sizeof key; ++i) key[i] = kChars[pick(random)];
    key[sizeof key - 1] = 0;
    SetCtrlVal(panel, LIVE_KEY, key);
}

}  // namespace

void LiveViewLoad(LiveViewSettings* s) {
    *s = LiveViewSettings{};
    s->enabled = LocalSettingsInt(kEnabled, 0) != 0;
    s->port = LocalSettingsInt(kPort, 8310);
    if (s->port < 1 || s->port > 65535) s->port = 8310;
    LocalSettingsText(kAddress, "", s->address, sizeof s->address);
    LocalSettingsText(kKey, "", s->key, sizeof s->key);
    CleanKey(s->key);
}

void LiveViewSave(const LiveViewSettings& s) {
    int reason = LocalSettingsSetInt(kEnabled, s.enabled);
    if (reason == FILE_WRITE_OK) reason = LocalSettingsSetInt(kPort, s.port);
    if (reason == FILE_WRITE_OK) reason = LocalSettingsSetText(kAddress, s.address);
    if (reason == FILE_WRITE_OK) reason = LocalSettingsSetText(kKey, s.key);
    if (reason != FILE_WRITE_OK) SbNoteFileNotice(SbFileNotice::FileNotWritten, kLocalSettingsFile, reason);
}

int LiveViewApply(const LiveViewSettings& s) {
    if (running.enabled && Same(s, running)) return WEB_OK;
    running = LiveViewSettings{};
    if (!s.enabled) {
        WebServerStop();
        return WEB_OK;
    }
    WebServerConfig config;
    config.port = s.port;
    StrCopy(config.address, s.address);
    StrCopy(config.key, s.key);
    WebServerSetWelcome(WebViewWhole);
    const int reason = WebServerStart(config);
    if (reason == WEB_OK) running = s;
    return reason;
}

void LiveViewOpen(int parent) {
    LiveViewSettings s;
    LiveViewLoad(&s);
    if (!s.enabled) return;
    const int reason = LiveViewApply(s);
    if (reason != WEB_OK) SbPopup(parent, GMessageG[1], LiveViewReason(reason), GLabelBpG[8]);
}

void LiveViewClose() {
    WebServerStop();
    running = LiveViewSettings{};
}

void LiveViewUrl(const LiveViewSettings& s, char* out, size_t size) {
    char host[64] = "127.0.0.1";
    if (s.address[0])
        StrCopy(host, s.address);
    else if (char found[1][64]; WebServerAddresses(found, 1) == 1)
        StrCopy(host, found[0]);
    StrFormat(out, size, "http://%s:%d/%s%s", host, s.port, s.key, s.key[0] ? "/" : "");
}

const char* LiveViewReason(int reason) {
    switch (reason) {
        case WEB_ERR_IN_USE:
            return Q31TxtMesG[kMesLiveInUse];
        case WEB_ERR_ACCESS:
            return Q31TxtMesG[kMesLiveAccess];
        case WEB_ERR_ADDRESS:
            return Q31TxtMesG[kMesLiveAddress];
        case WEB_ERR_PAGE:
            return Q31TxtMesG[kMesLivePage];
        default:
            return Q31TxtMesG[kMesLiveOther];
    }
}

void LiveViewDialog(int parent) {
    Dialog d;
    d.panel = LoadPanel(0, "FQ31.uir", LIVE);
    if (d.panel < 0) return;
    SetPanelAttribute(parent, ATTR_DIMMED, 1);
    Translate(d.panel);
    LiveViewSettings saved;
    LiveViewLoad(&saved);
    FillAddresses(d, saved.address);
    Show(d, saved);
    d.shown.port = -1;  // drawn at the first pass
    DisplayPanel(d.panel);
    // OK applies at once and keeps the dialog open when the server cannot start, so
    // the operator picks another port or address while the reason is in front of them.
    for (;;) {
        if (Q31QuitG) break;
        Refresh(d);
        Q31TacheDeFond(false);
        int panel = 0, control = 0;
        if (GetUserEvent(0, &panel, &control) != EVENT_COMMIT || panel != d.panel) continue;
        if (control == LIVE_CANCEL) break;
        if (control == LIVE_NEW_KEY) NewKey(d.panel);
        if (control != LIVE_OK) continue;
        const LiveViewSettings s = Read(d);
        LiveViewSave(s);
        d.reason = LiveViewApply(s);
        d.shown.port = -1;
        if (d.reason == WEB_OK) break;
    }
    DiscardPanel(d.panel);
    SetPanelAttribute(parent, ATTR_DIMMED, 0);
}
