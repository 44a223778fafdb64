// File services: bounded reads, atomic writes, copies and path splitting for stored paths.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <string>

#include "lib/StrBuf.h"
#include "platform/Encoding.h"
#include "platform/cvi.h"

namespace {

// A stored path (Windows-1252, either separator) as the file system's bytes.
std::string Native(const char* path) {
    return QFile::encodeName(qs::rt::PathFromCp1252(path)).toStdString();
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
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "/." + name + ".tmpXXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return -1;
    bool ok = WriteAll(fd, static_cast<const char*>(data), size) && fsync(fd) == 0;
    // Keep the permissions an ordinary new file would get (mkstemp makes it 0600).
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    ok = (close(fd) == 0) && ok;
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return -1;
    }
    SyncFolder(folder);
    return 0;
}

}  // namespace

namespace qs::rt {

bool WriteFileAtomic(const QString& path, const QByteArray& data) {
    return WriteAtomicNative(QFile::encodeName(path).toStdString(), data.constData(), size_t(data.size())) ==
           0;
}

}  // namespace qs::rt

long FileReadUpTo(const char* path, void* buf, size_t size) {
    FILE* f = fopen(Native(path).c_str(), "rb");
    if (!f) return -1;
    size_t n = size > 0 ? fread(buf, 1, size, f) : 0;
    fclose(f);
    return long(n);
}

int FileWriteAtomic(const char* path, const void* data, size_t size) {
    if (!path || (!data && size > 0)) return -1;
    return WriteAtomicNative(Native(path), data, size);
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
    if (stat(from.c_str(), &a) != 0) return -1;
    // Copying a file onto itself (an image already in "Data") leaves it as it is.
    if (stat(to.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino) return 0;
    QFile in(QString::fromStdString(from));
    if (!in.open(QIODevice::ReadOnly)) return -1;
    QByteArray bytes = in.readAll();
    if (in.error() != QFile::NoError) return -1;
    return WriteAtomicNative(to, bytes.constData(), size_t(bytes.size()));
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
