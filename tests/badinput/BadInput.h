// Damaged input files: the four ways a file arrives damaged (cut short, zero-filled,
// over-long, random bytes) and a program folder with the main window's panels loaded,
// so each file goes through the loader its button calls, and shows on the real panels.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace badinput {

struct Variante {
    const char* nom;
    std::string octets;
};

// The four damaged forms of a good file: its first half and a bit (cut inside a record),
// as many zero bytes, the good file followed by 5 000 random bytes, as many random bytes.
std::vector<Variante> Variantes(const std::string& bon, unsigned seed);
std::string Aleatoire(size_t n, unsigned seed);

// The raw bytes of a record, as the program writes it.
template <typename T>
std::string Octets(const T& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// True when every one of the N-byte texts ends within its field.
template <size_t N>
bool Termine(const char (&text)[N]) {
    for (size_t i = 0; i < N; ++i)
        if (text[i] == 0) return true;
    return false;
}

// The file dialog answers with the path set here ("" = cancelled); messages shown to
// the operator are counted.
void Repondre(const std::string& path);
int MessagesVus();

// A private program folder with the texts loaded and the main window's panels as the
// program loads them: the times table attached to the store, the second display, the
// competitor unit from "Courant.q12ct" and the ten settings pages.
class ProgrammeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Fichier(const std::string& relative) const { return dir_->file(relative); }
    // Writes bytes to relative (inside the program folder) and returns its full path.
    std::string Ecrire(const std::string& relative, const std::string& bytes) const;

    std::unique_ptr<qstest::TempProgramDir> dir_;
};

}  // namespace badinput
