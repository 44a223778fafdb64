// A pseudo-terminal for serial tests: the port under test opens its slave side,
// the test writes and reads the master side as the clock would.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace qstest {

struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        int s = -1;
        char name[128];
        if (openpty(&master, &s, name, nullptr, nullptr) != 0) return;
        slave = name;
        close(s);  // the port under test holds the slave side
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() { Hangup(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    void Hangup() {
        if (master >= 0) close(master);
        master = -1;
    }
    // Names the slave "Ports/COM<port>" in a program folder, where port numbers look first.
    void LinkAsPort(const std::string& folder, int port) const {
        const std::filesystem::path link =
            std::filesystem::path(folder) / "Ports" / ("COM" + std::to_string(port));
        std::filesystem::create_directories(link.parent_path());
        std::filesystem::remove(link);
        std::filesystem::create_symlink(slave, link);
    }
    // Writes every byte; while the terminal's buffer is full, pump (the program's
    // event processing) lets the port under test read it.
    void Send(const std::string& bytes, const std::function<void()>& pump = {}) const {
        size_t done = 0;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (done < bytes.size() && std::chrono::steady_clock::now() < until) {
            ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
            if (n > 0) done += size_t(n);
            if (n < 0 && errno != EAGAIN) break;
            if (done < bytes.size()) {
                if (pump) pump();
                pollfd p{master, POLLOUT, 0};
                poll(&p, 1, 10);
            }
        }
        ASSERT_EQ(done, bytes.size());
    }
    std::string Receive(size_t want) const {
        std::string got;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (got.size() < want && std::chrono::steady_clock::now() < until) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char buf[256];
            ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) got.append(buf, size_t(n));
        }
        return got;
    }
};

}  // namespace qstest
