// A small file system over a test's folder, to see the program on a full disk or a
// read-only folder with its real writes: a tmpfs mounted in a mount namespace of the
// test process's own (root only: developers' machines and CI run as root).
#pragma once

#include <cstddef>
#include <string>

namespace qstest {

class SmallDisk {
public:
    SmallDisk(const std::string& folder, size_t kilobytes);  // the folder is created
    ~SmallDisk();                                            // unmounted
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }
    const std::string& WhyNot() const { return why_; }  // why nothing could be mounted
    // Fills the disk with a filler file until at most `leave` bytes are free.
    void Fill(size_t leave = 0);
    void Free();  // removes the filler
    // The folder read-only: the disk remounted, or without one (not root) the
    // folder's write permission taken away. False when neither is possible.
    bool ReadOnly(bool on);

private:
    std::string folder_, options_, why_;
    bool mounted_ = false;
};

}  // namespace qstest
