// The live view: a second display that any browser of the local network draws.
// It keeps what the pages show, fed by the same change memory that drives the
// second display, and turns it into small JSON messages: the whole state for a
// new viewer, then only what changed. The server (platform/WebServer.h) carries
// them; nothing here waits for a viewer.
#pragma once

#include <array>
#include <string>

// Q31TxtMesG entries the page shows (sent to it, in the operator's language).
inline constexpr int kMesLiveLost = 29;  // the link to the program is lost, reconnecting
inline constexpr int kMesLiveFull = 30;  // too many viewers, trying again
// Q31TxtLabelG entry of the page's title (also the dialog's).
inline constexpr int kLabLiveView = 63;

// What the change memory drew, in colours 0xRRGGBB (unlit lights included).
void WebViewNoteDot(int position, int colour);  // ring light 0..59
void WebViewNoteHand(bool hour, int position);  // 0..59
void WebViewNoteLights(int bigLight, const std::array<int, 4>& lights);
void WebViewNoteDigit(int digit, int pattern);  // 0 left, 1 right; segments a..g in bits 0..6
void WebViewNoteMinus(int value);
// What the main window shows: the link (or the simulation), the identity line, and
// the run box's lines ("" while the box is hidden).
void WebViewNoteMain(bool connected, bool simulation, const char* identity);
void WebViewNoteRun(const char* text);
// The language changed: the page's texts are sent again.
void WebViewNoteTexts();

// Reads the times table's last rows (the store and the precision) and notes them
// when they changed.
void WebViewCollect();
// Once per pass of the background task: WebViewCollect, then what changed goes to
// the viewers (and is simply forgotten while none watch).
void WebViewPublish();

// Messages, Windows-1252 like every text of the program (the server sends UTF-8).
std::string WebViewWhole();        // {"t":"all",...}: everything, a new viewer's first message
std::string WebViewTakeChanges();  // {"t":"d",...}: what changed since the last call; "" nothing
void WebViewForget();              // back to nothing shown (tests)

inline constexpr int kWebViewRows = 20;  // the times table's last rows, in its order
