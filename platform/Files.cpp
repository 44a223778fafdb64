// File services: bounded reads, atomic writes, copies and path splitting for stored paths.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "lib/StrBuf.h"
#include "platform/Encoding.h"
#include "platform/cvi.h"

namespace {

// A stored path (Windows-1252, either separator) as the file system's bytes.
std::string Native(const char* path) {
    return QFile::encodeName(qs::rt::PathFromCp1252(path)).toStdString();
}

int g_writeErrno = 0;  // errno of the last failed write, 0 after a success

// Notes why a write failed (the first failing step's errno) and returns -1.
int Failed(int error) {
    g_writeErrno = error != 0 ? error : EIO;
    return -1;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

int WriteAtomicNative(const std::string& target, const void* data, size_t size) {
    auto slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
    // Hidden beside it. Not named after it: the longest names leave no room for more.
    std::string temp = folder + "/.qs310-write.tmpXXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return Failed(errno);
    int error = 0;
    if (!WriteAll(fd, static_cast<const char*>(data), size) || fsync(fd) != 0) error = errno;
    // Keep the permissions an ordinary new file would get (mkstemp makes it 0600).
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    // A full disk may only show when the data is flushed at close.
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(temp.c_str());
        return Failed(error);
    }
    SyncFolder(folder);
    g_writeErrno = 0;
    return 0;
}

}  // namespace

long FileReadUpTo(const char* path, void* buf, size_t size) {
    FILE* f = fopen(Native(path).c_str(), "rb");
    if (!f) return -1;
    size_t n = size > 0 ? fread(buf, 1, size, f) : 0;
    fclose(f);
    return long(n);
}

int FileWriteAtomic(const char* path, const void* data, size_t size) {
    if (!path || (!data && size > 0)) return Failed(EINVAL);
    return WriteAtomicNative(Native(path), data, size);
}

int FileWriteReason(int error) {
    switch (error) {
        case 0:
            return FILE_WRITE_OK;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return FILE_WRITE_DISK_FULL;
        case EROFS:
            return FILE_WRITE_READ_ONLY;
        case EACCES:
        case EPERM:
            return FILE_WRITE_DENIED;
        default:
            return FILE_WRITE_OTHER;
    }
}

int FileLastWriteError() {
    return FileWriteReason(g_writeErrno);
}

int FileExists(const char* path, long* size) {
    struct stat st {};
    if (!path || stat(Native(path).c_str(), &st) != 0) {
        if (size) *size = -1;
        return 0;
    }
    if (size) *size = long(st.st_size);
    return 1;
}

int CopyFile(const char* source, const char* target) {
    std::string from = Native(source), to = Native(target);
    struct stat a {
    }, b{};
    if (stat(from.c_str(), &a) != 0) return Failed(errno);
    // Copying a file onto itself (an image already in "Data") leaves it as it is.
    if (stat(to.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino) return 0;
    QFile in(QString::fromStdString(from));
    if (!in.open(QIODevice::ReadOnly)) return Failed(EACCES);
    QByteArray bytes = in.readAll();
    if (in.error() != QFile::NoError) return Failed(EIO);
    return WriteAtomicNative(to, bytes.constData(), size_t(bytes.size()));
}

// Status and canonical forms come from the folder tree; the file itself is never opened.
bool FileIsPlain(const char* path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(Native(path)), ec) && !ec;
}

bool FileInsideFolder(const char* folder, const char* path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dossier = fs::canonical(fs::path(Native(folder)), ec);
    if (ec) return false;
    const fs::path fichier = fs::canonical(fs::path(Native(path)), ec);
    if (ec || !fs::is_regular_file(fichier, ec) || ec) return false;
    std::string d = dossier.generic_string();
    if (d.empty() || d.back() != '/') d += '/';
    const std::string f = fichier.generic_string();
    return f.size() > d.size() && f.compare(0, d.size(), d) == 0;
}

int SplitPath(const char* path, char* drive, char* dir, char* file) {
    std::string p = path ? path : "";
    std::string d, rest = p;
    if (p.size() >= 2 && p[1] == ':') {
        d = p.substr(0, 2);
        rest = p.substr(2);
    }
    auto sep = rest.find_last_of("\\/");
    std::string folder = sep == std::string::npos ? "" : rest.substr(0, sep + 1);
    std::string name = sep == std::string::npos ? rest : rest.substr(sep + 1);
    // Callers pass buffers of the path length limit (260).
    if (drive) StrCopy(drive, 260, d.c_str());
    if (dir) StrCopy(dir, 260, folder.c_str());
    if (file) StrCopy(file, 260, name.c_str());
    return 0;
}

void ToNativePath(const char* path, char* out, size_t size) {
    if (!out || size == 0) return;
    StrCopy(out, size, path);
    for (char* c = out; *c; ++c)
        if (*c == '\\') *c = '/';
}
