// Live view server: serves the page's files to browsers on the local network and
// pushes the clock's state to the pages that watch it (viewers). Read-only: the
// access key is the only thing a request carries into the program, and no path
// from a request reaches the file system (the page's files are read once, at
// start, by a fixed list of names). Runs in the program's own event loop and
// never waits for a viewer: one that cannot keep up is dropped.
#pragma once

#include <cstddef>
#include <string>

struct WebServerConfig {
    int port = 8310;            // 0: any free port (tests)
    char address[64] = "";      // "" every interface, else one address of this computer
    char key[33] = "";          // access key, letters and digits; "" none. The page is then at
                                // "/<key>/" and every other path gets 403
    char pageFolder[260] = "";  // folder of the page's files ("" the program folder's "Web")
    int maxViewers = 64;
    int maxConnections = 96;       // viewers and page loads together; more are closed at once
    long maxBacklog = 256 * 1024;  // bytes a viewer may leave unread before it is dropped
    double requestSeconds = 10;    // a connection that has not become a viewer by then is closed
    double keepAliveSeconds = 2;   // after this long without a message, the keep-alive text goes
    char keepAlive[32] = "{\"t\":\"k\"}";
};

// Why the server did not start.
enum {
    WEB_OK = 0,
    WEB_ERR_IN_USE = -1,   // another program listens on that port
    WEB_ERR_ACCESS = -2,   // the system refuses that port to this user
    WEB_ERR_ADDRESS = -3,  // the address is not one of this computer's
    WEB_ERR_PAGE = -4,     // the page's files are missing from the program folder
    WEB_ERR_OTHER = -5,
};

// Stops a running server, then listens as configured. WEB_OK or why not.
int WebServerStart(const WebServerConfig& config);
void WebServerStop();
int WebServerPort();     // the port listened on, 0 when stopped
int WebServerViewers();  // viewers connected now

// Sends a message (Windows-1252 bytes, sent as UTF-8) to every viewer. A viewer
// that has left more than maxBacklog bytes unread is dropped instead.
void WebServerBroadcast(const char* text, size_t length);
// The message a new viewer gets first: the whole state (set by the live view).
using WebWelcomeHook = std::string (*)();
void WebServerSetWelcome(WebWelcomeHook hook);

// The IPv4 addresses of this computer's network interfaces that are up, loopback
// excluded, as text ("192.168.1.20"); at most max of them. Returns how many.
int WebServerAddresses(char (*out)[64], int max);

// Draws text as a QR code into a picture control (a QLabel). 0 on success.
int DisplayQrCode(int panel, int control, const char* text);
