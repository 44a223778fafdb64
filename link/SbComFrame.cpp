// Frames of the clock's line protocol: check value, building, line cutting, checking.
#include "link/SbComFrame.h"

#include <cstdio>
#include <cstring>

#include "lib/StrBuf.h"

int16_t SbComSomme(const char* payload) {
    uint16_t sum = 0;
    for (const char* p = payload; *p; ++p) sum = uint16_t(sum + int8_t(*p));
    return int16_t(sum);
}

int SbComFormerTrame(const char* payload, char* out, size_t size) {
    // The sum is sign-extended as the clock's own firmware expects; the program's
    // payloads never reach the negative range.
    StrFormat(out, size, "#%s%c%04X%c%c", payload, 9, unsigned(int(SbComSomme(payload))), 13, 10);
    return int(strnlen(out, size));
}

SbComLineStatus SbComCheckLine(const char* line, int length, bool tooLong, char message[kSbComMessageMax]) {
    constexpr SbComLineStatus kRejected = SbComLineStatus::kRejected;
    memset(message, 0, kSbComMessageMax);
    if (tooLong || length < 0 || length > kSbComLigneMax) return kRejected;
    const char* tab = static_cast<const char*>(memchr(line, 9, size_t(length)));
    if (!tab) return kRejected;
    int payloadLength = int(tab - line);
    if (payloadLength > kSbComMessageMax - 1) return kRejected;
    memcpy(message, line, size_t(payloadLength));
    // A NUL inside the payload would hide bytes from the check value: refuse it.
    if (int(strlen(message)) != payloadLength) return kRejected;

    char digits[5] = {};
    int after = length - payloadLength - 1;
    memcpy(digits, tab + 1, size_t(after < 4 ? after : 4));
    unsigned value = 0;
    if (sscanf(digits, "%X", &value) != 1) return kRejected;
    if (long(value) != long(SbComSomme(message))) return kRejected;
    return SbComLineStatus::kAccepted;
}

void SbComLineReader::Feed(const char* bytes, size_t count, Receiver receiver, void* context) {
    for (size_t i = 0; i < count; ++i) {
        char c = bytes[i];
        if (c == 10) {
            line_[size_t(length_)] = 0;
            receiver(context, line_.data(), length_, tooLong_);
            length_ = 0;
            tooLong_ = false;
        } else if (length_ < kSbComLigneMax) {
            line_[size_t(length_++)] = c;
        } else {
            tooLong_ = true;
        }
    }
}

namespace {

struct Verdict {
    char* message;
    SbComLineStatus status;
    SbComLineReader::Observer observer;
};

void Judge(void* context, const char* text, int length, bool tooLong) {
    auto* v = static_cast<Verdict*>(context);
    // An empty line carries nothing and is no fault of the line.
    if (length == 0 && !tooLong) {
        v->status = SbComLineStatus::kNone;
        return;
    }
    v->status = SbComCheckLine(text, length, tooLong, v->message);
    if (v->observer) v->observer(text, length, tooLong, v->status);
}

}  // namespace

SbComLineStatus SbComLineReader::TakePiece(const char* piece, int length, bool lineEnded,
                                           char message[kSbComMessageMax], Observer observer) {
    Verdict verdict{message, SbComLineStatus::kNone, observer};
    if (length > 0) Feed(piece, size_t(length), Judge, &verdict);
    if (lineEnded) Feed("\n", 1, Judge, &verdict);
    return verdict.status;
}
