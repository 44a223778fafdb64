// Shared by the file-loader fuzz targets: each input becomes a file in a private
// folder, removed at exit.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzfile {

inline const std::string& Dossier() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/qs-fuzz-XXXXXX";
        const char* made = mkdtemp(tmpl);
        if (!made) std::abort();
        return std::string(made);
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Dossier(), ec);
        });
        return true;
    }();
    (void)cleanup;
    return dir;
}

// Makes the private folder the current one, for loaders that read a fixed file name
// there (the fuzzer's corpus and artifact paths must then be absolute).
inline void EntrerDossier() {
    if (chdir(Dossier().c_str()) != 0) std::abort();
}

// Writes the bytes to name in the private folder and returns its full path.
inline std::string Ecrire(const char* name, const uint8_t* data, size_t size) {
    const std::string path = Dossier() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

// A text field of a record read from a file must end within its buffer.
template <size_t N>
inline void Termine(const char (&text)[N]) {
    size_t n = 0;
    while (n < N && text[n]) ++n;
    if (n == N) __builtin_trap();
}

}  // namespace fuzzfile
