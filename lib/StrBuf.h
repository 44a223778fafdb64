// Bounded, always-terminated copies and formatting into fixed text buffers.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

// Copies at most size-1 bytes of src (null gives an empty text) and terminates.
inline void StrCopy(char* dst, size_t size, const char* src) {
    if (size == 0) return;
    if (!src) {
        dst[0] = 0;
        return;
    }
    size_t n = strnlen(src, size - 1);
    memmove(dst, src, n);
    dst[n] = 0;
}

template <size_t N>
inline void StrCopy(char (&dst)[N], const char* src) {
    StrCopy(dst, N, src);
}

// snprintf that always terminates and never writes past the buffer.
inline int StrFormat(char* dst, size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
inline int StrFormat(char* dst, size_t size, const char* fmt, ...) {
    if (size == 0) return 0;
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(dst, size, fmt, ap);
    va_end(ap);
    dst[size - 1] = 0;
    return n;
}
