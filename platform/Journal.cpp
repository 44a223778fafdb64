// The journal's memory buffer and its writer thread: day files, the forced writes,
// and the size cap of the folder.
#include "platform/Journal.h"

#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "lib/StrBuf.h"
#include "platform/Encoding.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"

namespace fs = std::filesystem;

namespace {

// Lines waiting for the disk are kept up to this size; beyond it (a disk that no longer
// takes anything) they are counted and the count written when the disk is back.
constexpr size_t kMemoryCap = size_t(8) << 20;
constexpr auto kTick = std::chrono::milliseconds(250);

using Clock = std::chrono::system_clock;

// The last failure of the writer, for JournalTakeFault.
std::mutex g_faultMutex;
int g_faultReason = 0;
std::string g_faultPath;

fs::path NativePath(const QString& path) {
#ifdef _WIN32
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

void ForceToDisk(FILE* f) {
#ifdef _WIN32
    _commit(_fileno(f));
#else
    fdatasync(fileno(f));
#endif
}

// The writer's side: the open day file and the folder's size.
class Writer {
public:
    Writer(fs::path folder, std::string shownFolder, std::string prefix, long cap, std::string header)
        : folder_(std::move(folder)),
          shownFolder_(std::move(shownFolder)),
          prefix_(std::move(prefix)),
          cap_(cap),
          header_(std::move(header)) {}
    ~Writer() { Close(); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Records: 8 bytes of milliseconds since the epoch, 4 bytes of length, the text.
    void Write(const std::string& records, size_t dropped) {
        size_t at = 0;
        while (at + 12 <= records.size()) {
            int64_t ms;
            uint32_t length;
            memcpy(&ms, records.data() + at, 8);
            memcpy(&length, records.data() + at + 8, 4);
            Line(ms, records.data() + at + 12, length);
            at += 12 + length;
        }
        if (dropped > 0) {
            char note[96];
            const int n = snprintf(note, sizeof note,
                                   "(%zu lines dropped: the disk did not take them in time)", dropped);
            Line(Now(), note, size_t(n));
        }
        if (file_) fflush(file_);
        const auto now = std::chrono::steady_clock::now();
        if (file_ && unsynced_ && now - lastSync_ >= std::chrono::seconds(1)) {
            ForceToDisk(file_);
            unsynced_ = false;
            lastSync_ = now;
        }
        KeepUnderCap();
    }

    bool Unsynced() const { return unsynced_; }

    void Close() {
        if (!file_) return;
        fflush(file_);
        ForceToDisk(file_);
        fclose(file_);
        file_ = nullptr;
    }

private:
    static int64_t Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    }

    void Line(int64_t ms, const char* text, size_t length) {
        const time_t seconds = time_t(ms / 1000);
        if (seconds != second_) {
            second_ = seconds;
#ifdef _WIN32
            localtime_s(&local_, &seconds);
#else
            localtime_r(&seconds, &local_);
#endif
        }
        const int day = (local_.tm_year + 1900) * 10000 + (local_.tm_mon + 1) * 100 + local_.tm_mday;
        if (day != day_ || (!file_ && std::chrono::steady_clock::now() >= retryAt_)) Open(day);
        if (!file_) return;
        char stamp[16];
        snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d ", local_.tm_hour, local_.tm_min, local_.tm_sec,
                 int(ms % 1000));
        const bool whole =
            fputs(stamp, file_) >= 0 && fwrite(text, 1, length, file_) == length && fputc('\n', file_) != EOF;
        if (!whole) {
            Fault(errno);
            return;
        }
        faultTold_ = false;
        size_ += long(strlen(stamp) + length + 1);
        total_ += long(strlen(stamp) + length + 1);
        unsynced_ = true;
        if (size_ > cap_ / 4) SetAside();
    }

    fs::path DayFile(int day) const {
        return folder_ / (prefix_ + "-" + std::to_string(day) + ".log");
    }

    void Open(int day) {
        Close();
        day_ = day;
        std::error_code ec;
        fs::create_directories(folder_, ec);
        const fs::path path = DayFile(day);
#ifdef _WIN32
        file_ = _wfopen(path.c_str(), L"ab");
#else
        file_ = fopen(path.c_str(), "ab");
#endif
        if (!file_) {
            Fault(errno);
            return;
        }
        fseek(file_, 0, SEEK_END);
        size_ = ftell(file_);
        if (size_ <= 0 && !header_.empty()) {
            fprintf(file_, "%s\n", header_.c_str());
            size_ = long(header_.size() + 1);
        }
        if (total_ < 0) total_ = FolderSize();
    }

    // The day's file is closed under the time it ends at, and a new one started.
    void SetAside() {
        Close();
        char suffix[16];
        snprintf(suffix, sizeof suffix, "-%02d%02d%02d", local_.tm_hour, local_.tm_min, local_.tm_sec);
        const fs::path from = DayFile(day_);
        const std::string stem = prefix_ + "-" + std::to_string(day_) + suffix;
        fs::path to = folder_ / (stem + ".log");
        std::error_code ec;
        for (int n = 2; fs::exists(to, ec); ++n) to = folder_ / (stem + "-" + std::to_string(n) + ".log");
        fs::rename(from, to, ec);
        Open(day_);
    }

    std::vector<fs::directory_entry> Files() const {
        std::vector<fs::directory_entry> files;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder_, ec)) {
            const std::string name = e.path().filename().string();
            if (e.is_regular_file(ec) && name.rfind(prefix_ + "-", 0) == 0 && e.path().extension() == ".log")
                files.push_back(e);
        }
        return files;
    }

    long FolderSize() const {
        long total = 0;
        std::error_code ec;
        for (const auto& e : Files()) total += long(e.file_size(ec));
        return total;
    }

    void KeepUnderCap() {
        if (total_ <= cap_) return;
        std::vector<fs::directory_entry> files = Files();
        std::error_code ec;
        std::sort(files.begin(), files.end(),
                  [&ec](const fs::directory_entry& a, const fs::directory_entry& b) {
                      return a.last_write_time(ec) < b.last_write_time(ec);
                  });
        const fs::path current = DayFile(day_);
        total_ = FolderSize();
        for (const auto& e : files) {
            if (total_ <= cap_) break;
            if (e.path() == current) continue;
            const long size = long(e.file_size(ec));
            if (fs::remove(e.path(), ec)) total_ -= size;
        }
    }

    // A file that cannot be written (disk full, folder read-only): told once, and tried
    // again a second later, so the journal goes on when the disk does.
    void Fault(int error) {
        if (!faultTold_) {
            std::lock_guard<std::mutex> lock(g_faultMutex);
            g_faultReason = FileWriteReason(error);
            g_faultPath = shownFolder_ + "\\" + prefix_ + "-" + std::to_string(day_) + ".log";
        }
        faultTold_ = true;
        if (file_) fclose(file_);
        file_ = nullptr;
        retryAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    }

    fs::path folder_;
    std::string shownFolder_;  // as the operator is told it
    std::string prefix_;
    long cap_;
    std::string header_;
    FILE* file_ = nullptr;
    int day_ = 0;
    long size_ = 0;
    long total_ = -1;
    time_t second_ = -1;
    tm local_{};
    bool unsynced_ = false;
    bool faultTold_ = false;
    std::chrono::steady_clock::time_point lastSync_{}, retryAt_{};
};

class Journal {
public:
    ~Journal() { Stop(); }

    void Start(fs::path folder, std::string shownFolder, std::string prefix, long cap, std::string header) {
        Stop();
        std::lock_guard<std::mutex> lock(m_);
        stopping_ = false;
        pending_.clear();
        dropped_ = 0;
        auto writer = std::make_shared<Writer>(std::move(folder), std::move(shownFolder), std::move(prefix),
                                               cap, std::move(header));
        thread_ = std::thread([this, writer] { Run(*writer); });
        active_ = true;
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_);
            if (!thread_.joinable()) return;
            active_ = false;
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    bool Active() const { return active_.load(std::memory_order_relaxed); }

    void Add(const char* text, size_t length) {
        if (!Active()) return;
        const int64_t ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
        const uint32_t n = uint32_t(std::min<size_t>(length, 0xFFFF));
        std::lock_guard<std::mutex> lock(m_);
        if (pending_.size() + 12 + n > kMemoryCap) {
            ++dropped_;
            return;
        }
        if (pending_.empty()) wake_.notify_all();  // the writer may sleep until a line comes
        pending_.append(reinterpret_cast<const char*>(&ms), 8);
        pending_.append(reinterpret_cast<const char*>(&n), 4);
        pending_.append(text, n);
        ++handed_;
    }

    bool Sync(double seconds) {
        std::unique_lock<std::mutex> lock(m_);
        if (!thread_.joinable()) return true;
        const uint64_t target = handed_;
        syncAsked_ = true;
        wake_.notify_all();
        return written_.wait_for(lock, std::chrono::duration<double>(seconds),
                                 [&] { return writtenCount_ >= target; });
    }

private:
    void Run(Writer& w) {
        std::string batch;
        for (;;) {
            size_t dropped = 0;
            uint64_t upTo = 0;
            bool stop = false;
            {
                std::unique_lock<std::mutex> lock(m_);
                // With every line on the disk the writer sleeps until the next one comes
                // (an idle program wakes for nothing); then lines are written in batches.
                if (!w.Unsynced())
                    wake_.wait(lock, [&] { return stopping_ || syncAsked_ || !pending_.empty(); });
                wake_.wait_for(lock, kTick, [&] { return stopping_ || syncAsked_; });
                batch.swap(pending_);
                pending_.clear();
                dropped = dropped_;
                dropped_ = 0;
                upTo = handed_;
                stop = stopping_;
                syncAsked_ = false;
            }
            w.Write(batch, dropped);
            batch.clear();
            if (stop) w.Close();
            {
                std::lock_guard<std::mutex> lock(m_);
                writtenCount_ = upTo;
            }
            written_.notify_all();
            if (stop) return;
        }
    }

    std::mutex m_;
    std::condition_variable wake_, written_;
    std::string pending_;
    size_t dropped_ = 0;
    uint64_t handed_ = 0, writtenCount_ = 0;
    bool stopping_ = false, syncAsked_ = false;
    std::atomic<bool> active_{false};
    std::thread thread_;
};

Journal& TheJournal() {
    static Journal journal;
    return journal;
}

}  // namespace

int JournalStart(const char* folder, const char* prefix, long capBytes, const char* header) {
    if (!folder || !prefix || capBytes <= 0) return -1;
    QString path = qs::rt::PathFromCp1252(folder);
    if (QFileInfo(path).isRelative()) path = qs::rt::ProgramDir() + QLatin1Char('/') + path;
    TheJournal().Start(NativePath(path), folder, prefix, capBytes, header ? header : "");
    return 0;
}

void JournalStop() {
    TheJournal().Stop();
}

int JournalActive() {
    return TheJournal().Active() ? 1 : 0;
}

void JournalAdd(const char* text, size_t length) {
    TheJournal().Add(text, length);
}

int JournalSync(double seconds) {
    return TheJournal().Sync(seconds) ? 0 : -1;
}

int JournalTakeFault(char* path, size_t size) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    const int reason = g_faultReason;
    if (reason != 0) StrCopy(path, size, g_faultPath.c_str());
    g_faultReason = 0;
    return reason;
}
