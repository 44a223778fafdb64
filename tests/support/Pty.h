// A pseudo-terminal for serial tests: the port under test opens its slave side, the test writes
// and reads the master side as the clock would.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
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
        const auto link = std::filesystem::path(folder) / "Ports" / ("COM" + std::to_string(port));
        std::filesystem::create_directories(link.parent_path());
        std::filesystem::remove(link);
        std::filesystem::create_symlink(slave, link);
    }
    void Send(const std::string& bytes) const {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // What the port under test wrote, until `want` bytes came or two seconds passed.
    std::string Receive(size_t want) const {
        std::string got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (got.size() < want && std::chrono::steady_clock::now() < until) {
            pollfd p{master, POLLIN, 0};
            char buf[256];
            const ssize_t n = poll(&p, 1, 50) > 0 ? read(master, buf, sizeof buf) : 0;
            if (n > 0) got.append(buf, size_t(n));
        }
        return got;
    }
};

}  // namespace qstest
