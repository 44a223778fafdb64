// Hostile input files: the four ways a file arrives damaged (cut short, zero-filled,
// over-long, random bytes) and a program folder with the main window's panels loaded,
// so each file goes through the loader its button calls and shows on the real panels.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace badinput {

struct Damage {
    std::string name, bytes;
};
// The damaged forms of a good file: its first half and a bit (cut inside a record), as
// many zero bytes, the good file followed by 5 000 random bytes, as many random bytes.
std::vector<Damage> Damaged(const std::string& good, unsigned seed);

template <typename T>
std::string Bytes(const T& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}
template <size_t N>
bool Terminated(const char (&text)[N]) {  // the text ends within its field
    return std::string(text, N).find('\0') != std::string::npos;
}
// Bytes of `got` that differ from `expected`, leaving out the offsets in `skip`.
int Differing(const std::string& got, const std::string& expected, const std::vector<size_t>& skip = {});

// A private program folder with the texts loaded and the main window's panels as the
// program loads them: the times table, the second display, the competitor unit from
// "Courant.q12ct" and the settings pages. The file dialog answers with the path given to
// Pick; messages shown to the operator are counted.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Write(const std::string& relative, const std::string& bytes) const;  // full path
    static void Pick(const std::string& path) { picked = path; }
    static int Messages() { return messages; }
    static std::string picked;
    static int messages;
    std::unique_ptr<qstest::TempProgramDir> dir_;
};

}  // namespace badinput
