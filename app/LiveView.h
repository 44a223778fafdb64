// The live view in browsers: its settings (in the program folder's settings file of
// this computer), the dialog that changes them, and the server they start.
#pragma once

#include <cstddef>

struct LiveViewSettings {
    int enabled = 0;
    int port = 8310;
    char address[64] = "";  // "" every interface
    char key[33] = "";      // letters and digits only; "" none
};

// Q31TxtLabelG entries of the dialog (the page's title is kLabLiveView).
inline constexpr int kLabLiveOn = 64;
inline constexpr int kLabLivePort = 65;
inline constexpr int kLabLiveAddress = 66;
inline constexpr int kLabLiveAllInterfaces = 67;
inline constexpr int kLabLiveKey = 68;
inline constexpr int kLabLiveNewKey = 69;
inline constexpr int kLabLiveUrl = 70;
inline constexpr int kLabLiveViewers = 71;
inline constexpr int kLabLiveOff = 72;
// Q31TxtMesG entries telling why the server did not start, in WEB_ERR_* order.
inline constexpr int kMesLiveInUse = 31;
inline constexpr int kMesLiveAccess = 32;
inline constexpr int kMesLiveAddress = 33;
inline constexpr int kMesLivePage = 34;
inline constexpr int kMesLiveOther = 35;

void LiveViewLoad(LiveViewSettings* settings);
// Writes the settings; a file that cannot be written is told to the operator.
void LiveViewSave(const LiveViewSettings& settings);
// Starts the server as the settings say (or stops it when they switch it off);
// WEB_OK or why it could not start.
int LiveViewApply(const LiveViewSettings& settings);
// At the opening of the main window: the live view starts when it is switched on,
// and the operator is told if it cannot.
void LiveViewOpen(int parent);
void LiveViewClose();
// The address a browser opens: this computer's address, the port and the key.
void LiveViewUrl(const LiveViewSettings& settings, char* out, size_t size);
// The message of a WEB_ERR_* reason, in the operator's language.
const char* LiveViewReason(int reason);
// The dialog, over the parameters dialog.
void LiveViewDialog(int parent);
