// The serial link to the clock: opening and closing, writing frames, the single
// command in flight and its acknowledgement wait, and the reception callback.
#pragma once

#include "link/SbComFrame.h"

// Opening, closing. Mode 1 is the serial port of SbComG, mode 2 a TCP connection to its
// network address and port (the clock's Ethernet module or a serial device server).
int SbComOuvrir(int mode);         // 0 success, 1 failure or closed
int SbComOuvrirPort();             // 0 success, 1 port error, 2 no answer to "SN"
void SbComErreurPort(int result);  // records the opening error (title 3, text 10 or 11)
void SbComQuitter();               // closes the link and resets its run-time fields
// The run-time's port number the open link talks through: the serial port of SbComG in
// state 1, the network connection's in state 2.
int SbComLinkPort();

// Transmission.
void SbComEnvoyerTrame(const char* payload);  // frames and writes one payload
void SbComEmission(const char* payload);      // hands a command to the link, arms the wait
void SbComAttendreAck();                      // waits up to 5 s for "AK"
inline constexpr double kSbComAttenteAck = 5.0;

// Reception: the LF callback installed on the port, and one checked line into SbComMessageG.
// The callback reads the port piece by piece into the line reader of SbComFrame.h,
// whatever the lengths of the lines, so a line of any length loses nothing before
// or after it.
void RsDetectFlag(int port, int eventMask, void* callbackData);
int RsReception();
// Records a line's check status as the link's state: a refused line is the check
// error (title 9, text 13). Returns 1 for a checked payload, else 0.
int SbComRecordLineStatus(SbComLineStatus status);
// One line checked (SbComCheckLine) and its status recorded; tooLong as the line
// reader reports it.
int SbComVerifierLigne(const char* line, int length, char message[kSbComMessageMax]);
int SbComAccepterLigne(const char* text, int length, bool tooLong, char message[kSbComMessageMax]);
// Forgets a line partly read (the port's queues were emptied).
void RsDropPartialLine();
// Checked lines decoded since the program started (benchmarks and tests count floods with it).
extern long SbComLignesDecodeesG;

// Called by the background task: a port that went away while open (adapter pulled,
// far end hung up) raises the port error (title 9, text 12; over the network, the
// connection lost) without waiting for the next command; a wire journal that cannot
// be written is noted for the operator.
void SbComSurveiller();

// The port as the link sees it. Defaults to the run-time's serial operations;
// tests install their own to capture the literal frames and answer in the wait,
// and the tests, fuzzer and benchmark of reception feed bytes through read and
// waiting to the serial callback itself. A member left null keeps the run-time's.
struct SbComPortOps {
    int (*write)(const char* frame, int length);  // bytes written, < 0 on error
    int (*status)();                              // port error status, 0 when clear
    void (*pumpEvents)();                         // one pass of event processing in the wait
    double (*clock)();                            // seconds
    // One piece of a line, as ComRdTerm reads it with LF as terminator: bytes
    // stored (< 0 on error); *lineEnded when the LF ended it.
    int (*read)(char* buffer, int maxCount, bool* lineEnded) = nullptr;
    int (*waiting)() = nullptr;  // bytes waiting in the input queue
};
void SbComInstallerPort(const SbComPortOps* ops);  // nullptr restores the run-time's

// Formats GMesComG entry 10 or 11 with the port number. The entry is used as a
// format only when it holds exactly one integer conversion and nothing else;
// otherwise the number is appended after the text.
void SbComTexteAvecPort(const char* entry, int port, char* out, size_t size);
// The same for the network's texts: "%s" once (and no other conversion) is replaced by
// the address ("192.168.0.10:7000"), which is otherwise appended after the text.
void SbComTexteAvecAdresse(const char* entry, const char* address, char* out, size_t size);
