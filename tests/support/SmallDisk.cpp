#include "tests/support/SmallDisk.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace qstest {

namespace {

// Mounts of this process stay its own and vanish with it, whatever becomes of the test.
bool PrivateMounts(std::string* why) {
    static int state = -1;
    static std::string reason;
    if (state < 0) {
        state = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!state) reason = std::string("no mount namespace of its own: ") + strerror(errno);
    }
    *why = reason;
    return state == 1;
}

std::string Filler(const std::string& folder) {
    return folder + "/.filler";
}

}  // namespace

SmallDisk::SmallDisk(const std::string& folder, size_t kilobytes)
    : folder_(folder), options_("size=" + std::to_string(kilobytes) + "k") {
    std::filesystem::create_directories(folder);
    if (geteuid() != 0) {
        why_ = "not root: no file system can be mounted";
        return;
    }
    if (!PrivateMounts(&why_)) return;
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options_.c_str()) != 0) {
        why_ = std::string("tmpfs cannot be mounted: ") + strerror(errno);
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk() {
    if (mounted_)
        umount2(folder_.c_str(), MNT_DETACH);
    else
        chmod(folder_.c_str(), 0755);
}

void SmallDisk::Fill(size_t leave) {
    if (!mounted_) return;  // never the machine's own disk
    struct statvfs st {};
    if (statvfs(folder_.c_str(), &st) != 0) return;
    const size_t free = size_t(st.f_bavail) * st.f_frsize;
    if (free <= leave) return;
    std::ofstream out(Filler(folder_), std::ios::binary | std::ios::app);
    const std::vector<char> block(4096, 'f');
    for (size_t written = 0; written + block.size() <= free - leave && out; written += block.size())
        out.write(block.data(), std::streamsize(block.size()));
}

void SmallDisk::Free() {
    std::filesystem::remove(Filler(folder_));
}

bool SmallDisk::ReadOnly(bool on) {
    if (mounted_) {
        const unsigned long flags = MS_REMOUNT | (on ? MS_RDONLY : 0);
        return mount("tmpfs", folder_.c_str(), "tmpfs", flags, options_.c_str()) == 0;
    }
    if (geteuid() == 0) return false;  // root writes whatever the permissions say
    return chmod(folder_.c_str(), on ? 0555 : 0755) == 0;
}

}  // namespace qstest
