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

// Checks one received line (LF already removed, at most kSbComLigneMax bytes kept
// by the caller): copies the payload up to the first TAB into message (64 bytes,
// cleared first) and compares the 4 hex digits after the TAB with the payload's
// check value. Returns 1 when the line is good; otherwise records the check error
// (title 9, text 13) and returns 0. A line with no TAB or with a payload over 63
// characters is rejected the same way.
int SbComVerifierLigne(const char* line, int length, char message[kSbComMessageMax]);

// Cuts a byte stream, delivered in chunks of any size, into lines ended by LF.
// A line longer than kSbComLigneMax bytes is reported as too long once its LF
// arrives (its bytes are dropped), so the next line starts clean.
class SbComLecteurLignes {
public:
    // Called for each complete line; tooLong is true for an over-long line
    // (text then holds its first kSbComLigneMax bytes).
    using Recepteur = void (*)(void* context, const char* text, int length, bool tooLong);
    void Alimenter(const char* bytes, size_t count, Recepteur recepteur, void* context);
    // One piece as the port's line read returns it: the bytes before a LF (which the
    // read removed: lineEnded), or a full buffer or what came before its time-out
    // (the line goes on in the next piece). When the piece ends a line, the line is
    // checked into message. Returns 1 when message holds a checked payload; 0 when
    // no line ended, the line was empty, or it was rejected with the check error.
    // temoin, when given, sees each line that is not empty with its verdict (1 accepted).
    using Temoin = void (*)(const char* text, int length, bool tooLong, int verdict);
    int Morceau(const char* piece, int length, bool lineEnded, char message[kSbComMessageMax],
                Temoin temoin = nullptr);
    void Raz() {
        length_ = 0;
        tooLong_ = false;
    }

private:
    std::array<char, kSbComLigneMax + 1> line_{};
    int length_ = 0;
    bool tooLong_ = false;
};

// The check for a line out of the reader: an over-long line is a check error,
// any other goes through SbComVerifierLigne. Returns 1 when message holds a
// checked payload.
int SbComAccepterLigne(const char* text, int length, bool tooLong, char message[kSbComMessageMax]);
