// A real browser for the live view: Debian's chromium, headless, driven over its
// DevTools protocol from the program's own event loop (never blocking it).
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

class QWebSocket;
class QJsonObject;

namespace e2e {

class HeadlessBrowser {
public:
    HeadlessBrowser(const std::string& url, int width, int height);
    ~HeadlessBrowser();
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

    // True once the page's DevTools link is open (call it until then: it connects).
    bool Ready();
    // Asks for the value of a JavaScript expression that gives a string; the answer comes
    // with later event processing. A question asked while one is open waits.
    bool Ask(const std::string& expression);
    bool Answered() const { return answered_; }
    const std::string& Answer() const { return answer_; }
    // A PNG of the page as it stands, written to path (waits, processing events).
    bool Screenshot(const std::string& path);

private:
    void Call(const char* method, const QJsonObject& params, bool awaited);
    pid_t pid_ = -1;
    int width_, height_;
    bool sized_ = false, answered_ = false;
    std::string profile_, answer_;
    std::unique_ptr<QWebSocket> devtools_;
    int nextId_ = 1, openId_ = 0;
};

// Chromium is on this computer (scripts/setup-deps.sh installs it).
bool BrowserInstalled();

}  // namespace e2e
