// Frames of the clock's line protocol: check value, frame building, the line
// reader that cuts a byte stream into lines, and the check of a received line.
// Pure: no port, no timer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr int kSbComTrameMax = 256;   // outgoing frame buffer
inline constexpr int kSbComLigneMax = 256;   // received line, LF excluded
inline constexpr int kSbComMessageMax = 64;  // payload buffer: at most 63 characters

// 16-bit check value of a zero-terminated payload: the bytes taken as signed
// 8-bit values, summed in 16 bits, read back as signed.
int16_t SbComSomme(const char* payload);

// Builds "#<payload>\t<check %04X>\r\n" into out (at least kSbComTrameMax bytes).
// Returns the frame's length.
int SbComFormerTrame(const char* payload, char* out, size_t size);

// What became of a received line: none ended (or it was empty, which carries nothing
// and is no fault of the line), its payload was checked, or it was refused for its
// form, its length or its check value. The caller records a refusal as the link's
// check error.
enum class SbComLineStatus { kNone, kAccepted, kRejected };

// Checks one received line (LF already removed, at most kSbComLigneMax bytes kept
// by the caller; tooLong when the reader dropped bytes of it): copies the payload
// up to the first TAB into message (64 bytes, cleared first) and compares the 4 hex
// digits after the TAB with the payload's check value. A line too long, with no TAB,
// with a payload over 63 characters or a NUL in it is refused.
SbComLineStatus SbComCheckLine(const char* line, int length, bool tooLong, char message[kSbComMessageMax]);

// Cuts a byte stream, delivered in chunks of any size, into lines ended by LF.
// A line longer than kSbComLigneMax bytes is reported as too long once its LF
// arrives (its bytes are dropped), so the next line starts clean.
class SbComLineReader {
public:
    // Called for each complete line; tooLong is true for an over-long line
    // (text then holds its first kSbComLigneMax bytes).
    using Receiver = void (*)(void* context, const char* text, int length, bool tooLong);
    void Feed(const char* bytes, size_t count, Receiver receiver, void* context);
    // One piece as the port's line read returns it: the bytes before a LF (which the
    // read removed: lineEnded), or a full buffer or what came before its time-out
    // (the line goes on in the next piece), so a piece ends at most one line. When it
    // does, the line is checked into message and its status returned; kNone otherwise.
    // observer, when given, sees each line that is not empty with its status.
    using Observer = void (*)(const char* text, int length, bool tooLong, SbComLineStatus status);
    SbComLineStatus TakePiece(const char* piece, int length, bool lineEnded, char message[kSbComMessageMax],
                              Observer observer = nullptr);
    void Reset() {
        length_ = 0;
        tooLong_ = false;
    }

private:
    std::array<char, kSbComLigneMax + 1> line_{};
    int length_ = 0;
    bool tooLong_ = false;
};
