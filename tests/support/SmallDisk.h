// A small disk over a test's folder, to see the program's real writes when it is full or read-only: a
// tmpfs in the test process's own mount namespace (root, as developers and CI run); else permissions.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace qstest {

class SmallDisk {
public:
    SmallDisk(const std::string& folder, size_t kilobytes)  // the folder is created
        : folder_(folder), options_("size=" + std::to_string(kilobytes) + "k") {
        std::filesystem::create_directories(folder);
        // Mounts of this process stay its own and vanish with it, whatever becomes of the test.
        static const bool own = geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
                                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        mounted_ = own && mount("tmpfs", folder.c_str(), "tmpfs", 0, options_.c_str()) == 0;
        if (!mounted_) why_ = geteuid() != 0 ? "not root" : std::string("no tmpfs: ") + strerror(errno);
    }
    ~SmallDisk() { mounted_ ? umount2(folder_.c_str(), MNT_DETACH) : chmod(folder_.c_str(), 0755); }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }
    const std::string& WhyNot() const { return why_; }  // why nothing could be mounted
    // Fills the disk (never the machine's own) with a filler file until at most `leave` bytes are free.
    void Fill(size_t leave = 0) {
        const size_t free = mounted_ ? std::filesystem::space(folder_).available : 0;
        if (free > leave)
            std::ofstream(folder_ + "/.filler", std::ios::app) << std::string(free - leave, 'f');
    }
    void Free() { std::filesystem::remove(folder_ + "/.filler"); }
    // The folder read-only: the disk remounted, or its write permission taken away (root writes anyway).
    bool ReadOnly(bool on) {
        if (!mounted_) return geteuid() != 0 && chmod(folder_.c_str(), on ? 0555 : 0755) == 0;
        return mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | (on ? MS_RDONLY : 0),
                     options_.c_str()) == 0;
    }

private:
    std::string folder_, options_, why_;
    bool mounted_ = false;
};

}  // namespace qstest
