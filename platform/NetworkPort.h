// Internal interface of the network port (Network.cpp) to the serial operations
// (Serial.cpp): a TCP connection answers to a port number above the serial ones, and
// the serial operations hand that number over, so callers use one set of operations.
#pragma once

#include "platform/cvi.h"

namespace qs::rt {

bool IsNetworkPort(int port);
int NetClose();
int NetSetTime(double seconds);
int NetFlushIn();
int NetStatus();
int NetInQLen();
int NetWrite(const char* buffer, int count);
int NetReadTerm(char* buffer, int maxCount, int termChar);
int NetInstallCallback(int eventMask, int eventCharacter, ComCallbackPtr cb, void* callbackData);
void NetShutdown();  // at the layer's end: the connection closed and its socket gone

// How the last port operation ended, as ReturnRS232Err reports it (kept by Serial.cpp).
void SetComError(int code);

}  // namespace qs::rt
