// The live view's memory of what the pages show and its JSON messages.
#include "display/WebView.h"

#include <bitset>
#include <cstdio>
#include <cstring>

#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "platform/WebServer.h"
#include "records/SbComRecord.h"
#include "ui/Texts.h"

namespace {

enum Part : unsigned {
    kHands = 1 << 0,
    kLights = 1 << 1,
    kDigits = 1 << 2,
    kMinus = 1 << 3,
    kMain = 1 << 4,
    kRun = 1 << 5,
    kRows = 1 << 6,
    kTexts = 1 << 7,
    kAll = 0xFF,
};

constexpr int kUnlit = 0x303030;

struct Shown {
    std::array<int, 60> dots;
    std::array<int, 2> hands{0, 0};
    int big = kUnlit;
    std::array<int, 4> lights;
    std::array<int, 2> digits{0, 0};
    int minus = 0;
    bool connected = false, simulation = false;
    std::string identity, run;
    // The table's last rows in its order (a time, then its reference and difference rows),
    // and the precision they are shown at.
    std::array<SbChronoRec, kWebViewRows> rows{};
    int rowCount = 0, precision = 0;
    Shown() {
        dots.fill(kUnlit);
        lights.fill(kUnlit);
    }
};

Shown shown;
std::bitset<60> dirtyDots;
unsigned dirty = 0;

void Mark(unsigned part, bool changed) {
    if (changed) dirty |= part;
}

// JSON text of Windows-1252 bytes: quotes, backslashes and control bytes escaped;
// bytes from 0x80 stay as they are (the server sends the whole message as UTF-8).
void Text(std::string& out, const char* text) {
    out += '"';
    for (const char* p = text ? text : ""; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += char(c);
        }
    }
    out += '"';
}

void Key(std::string& out, const char* key) {
    if (out.back() != '{') out += ',';
    out += '"';
    out += key;
    out += "\":";
}

template <size_t N>
void Numbers(std::string& out, const std::array<int, N>& values) {
    out += '[';
    for (size_t i = 0; i < N; ++i) {
        if (i) out += ',';
        out += std::to_string(values[i]);
    }
    out += ']';
}

// One row: the table's four columns (kind and mark, number, channel, time) and the mark.
void Row(std::string& out, const SbChronoRec& rec) {
    char genre[3], number[16], channel[3], time[64], mark[2] = {rec.Marque, 0};
    SbChronoTexteGenre(rec, genre);
    SbChronoTexteNumero(rec, number);
    SbChronoTexteCanal(rec, channel);
    SbChronoTexteTemps(rec, shown.precision, time);
    out += '[';
    for (const char* cell : {genre, number, channel, time, mark}) {
        if (cell != genre) out += ',';
        Text(out, cell);
    }
    out += ']';
}

void Texts(std::string& out) {
    out += '{';
    Key(out, "title");
    Text(out, Q31TxtLabelG[kLabLiveView]);
    Key(out, "lost");
    Text(out, Q31TxtMesG[kMesLiveLost]);
    Key(out, "full");
    Text(out, Q31TxtMesG[kMesLiveFull]);
    Key(out, "legend");  // the run box's lines: serial number, mode, run, precision, date, start time
    out += '[';
    for (int i = 20; i <= 25; ++i) {
        if (i > 20) out += ',';
        Text(out, Q31TxtLabelG[i]);
    }
    out += ']';
    Key(out, "columns");  // the times table's column titles, as on the main window
    out += "[\"\",\"N\xB0\",\"C\",";
    Text(out, Q31TxtLabelG[26]);
    out += ']';
    out += '}';
}

// The parts named by `parts`; dots as 60 colours (whole) or [position, colour] pairs.
std::string Message(const char* kind, unsigned parts, bool allDots) {
    std::string out = "{";
    Key(out, "t");
    Text(out, kind);
    if (allDots || dirtyDots.any()) {
        Key(out, "dots");
        if (allDots) {
            Numbers(out, shown.dots);
        } else {
            out += '[';
            for (size_t p = 0; p < 60; ++p)
                if (dirtyDots[p]) {
                    if (out.back() != '[') out += ',';
                    out += '[' + std::to_string(p) + ',' + std::to_string(shown.dots[p]) + ']';
                }
            out += ']';
        }
    }
    if (parts & kHands) {
        Key(out, "hands");
        Numbers(out, shown.hands);
    }
    if (parts & kLights) {
        Key(out, "big");
        out += std::to_string(shown.big);
        Key(out, "lights");
        Numbers(out, shown.lights);
    }
    if (parts & kDigits) {
        Key(out, "digits");
        Numbers(out, shown.digits);
    }
    if (parts & kMinus) {
        Key(out, "minus");
        out += std::to_string(shown.minus);
    }
    if (parts & kMain) {
        Key(out, "conn");
        out += shown.connected ? '1' : '0';
        Key(out, "sim");
        out += shown.simulation ? '1' : '0';
        Key(out, "id");
        Text(out, shown.identity.c_str());
    }
    if (parts & kRun) {
        Key(out, "run");
        Text(out, shown.run.c_str());
    }
    if (parts & kRows) {
        Key(out, "rows");
        out += '[';
        for (int i = 0; i < shown.rowCount; ++i) {
            if (i) out += ',';
            Row(out, shown.rows[size_t(i)]);
        }
        out += ']';
    }
    if (parts & kTexts) {
        Key(out, "texts");
        Texts(out);
    }
    out += '}';
    return out;
}

}  // namespace

void WebViewNoteDot(int position, int colour) {
    if (position < 0 || position >= 60 || shown.dots[size_t(position)] == colour) return;
    shown.dots[size_t(position)] = colour;
    dirtyDots.set(size_t(position));
}

void WebViewNoteHand(bool hour, int position) {
    int& hand = shown.hands[hour ? 0 : 1];
    position = ((position % 60) + 60) % 60;
    Mark(kHands, hand != position);
    hand = position;
}

void WebViewNoteLights(int bigLight, const std::array<int, 4>& lights) {
    Mark(kLights, shown.big != bigLight || shown.lights != lights);
    shown.big = bigLight;
    shown.lights = lights;
}

void WebViewNoteDigit(int digit, int pattern) {
    if (digit < 0 || digit > 1) return;
    pattern &= 0x7F;
    Mark(kDigits, shown.digits[size_t(digit)] != pattern);
    shown.digits[size_t(digit)] = pattern;
}

void WebViewNoteMinus(int value) {
    value = value ? 1 : 0;
    Mark(kMinus, shown.minus != value);
    shown.minus = value;
}

void WebViewNoteMain(bool connected, bool simulation, const char* identity) {
    const std::string id = connected && identity ? identity : "";
    Mark(kMain, shown.connected != connected || shown.simulation != simulation || shown.identity != id);
    shown.connected = connected;
    shown.simulation = simulation;
    shown.identity = id;
}

void WebViewNoteRun(const char* text) {
    const std::string run = text ? text : "";
    Mark(kRun, shown.run != run);
    shown.run = run;
}

void WebViewNoteTexts() {
    dirty |= kTexts;
}

void WebViewCollect() {
    // At most 20 records compared per pass: the times store may hold 9,999.
    const int count = SbChronoNombre();
    const int n = std::min(count, kWebViewRows);
    std::array<SbChronoRec, kWebViewRows> rows{};
    for (int i = 0; i < n; ++i)
        if (const SbChronoRec* rec = SbChronoLire(count - n + 1 + i)) rows[size_t(i)] = *rec;
    const int precision = SbComG.params.precision;
    const bool same = n == shown.rowCount && precision == shown.precision &&
                      std::memcmp(rows.data(), shown.rows.data(), sizeof(SbChronoRec) * size_t(n)) == 0;
    if (same) return;
    shown.rows = rows;
    shown.rowCount = n;
    shown.precision = precision;
    dirty |= kRows;
}

std::string WebViewWhole() {
    return Message("all", kAll, true);
}

std::string WebViewTakeChanges() {
    std::string out;
    if (dirty || dirtyDots.any()) out = Message("d", dirty, false);
    dirty = 0;
    dirtyDots.reset();
    return out;
}

void WebViewPublish() {
    WebViewCollect();
    if (WebServerViewers() == 0) {
        dirty = 0;  // a new viewer gets the whole state anyway
        dirtyDots.reset();
        return;
    }
    const std::string changes = WebViewTakeChanges();
    if (!changes.empty()) WebServerBroadcast(changes.data(), changes.size());
}

void WebViewForget() {
    shown = Shown{};
    dirty = 0;
    dirtyDots.reset();
}
