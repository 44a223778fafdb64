// A test resource "Test.uir" with every kind of control, written into a private program
// folder, and a recorder of the callback calls it makes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace pltest {

struct Call {
    int panel, control, event, data1, data2;
};
inline std::vector<Call> g_calls;
inline int Record(int panel, int control, int event, void*, int d1, int d2) {
    g_calls.push_back({panel, control, event, d1, d2});
    return 0;
}
inline int CountEvents(int event, int control = -1, int panel = -1) {
    int n = 0;
    for (const Call& c : g_calls)
        n += c.event == event && (control < 0 || c.control == control) && (panel < 0 || c.panel == panel);
    return n;
}

// Control numbers of the test panel.
enum { QUIT = 2, GO, RING, NUM, TABLE, TEXT, MSG, PIC, LINK, SW, EDIT, INNER, PLAIN };

// One widget of a Designer file: class, name, control number (0 none), place, more properties.
inline std::string W(const char* cls, const char* name, int ctrl, int x, int y, int w, int h,
                     const std::string& more = "", const std::string& children = "") {
    auto prop = [](const char* n, const std::string& v, const char* kind) {
        return std::string("<property name=\"") + n + "\" stdset=\"0\"><" + kind + ">" + v + "</" + kind +
               "></property>";
    };
    std::string s = std::string("<widget class=\"") + cls + "\" name=\"" + name + "\">";
    if (ctrl > 0) s += prop("ctrl", std::to_string(ctrl), "number");
    size_t cb = more.find("cb=");  // "cb=Name;" names the callback
    if (cb != std::string::npos)
        s += prop("callback", more.substr(cb + 3, more.find(';', cb) - cb - 3), "string");
    s += "<property name=\"geometry\"><rect><x>" + std::to_string(x) + "</x><y>" + std::to_string(y) +
         "</y><width>" + std::to_string(w) + "</width><height>" + std::to_string(h) +
         "</height></rect></property>";
    return s + (cb != std::string::npos ? more.substr(more.find(';', cb) + 1) : more) + children +
           "</widget>";
}
inline std::string Text(const char* name, const char* value, const char* kind = "string") {
    return std::string("<property name=\"") + name + "\"><" + kind + ">" + value + "</" + kind +
           "></property>";
}
inline void WriteUi(const qstest::TempProgramDir& dir, const char* file, const std::string& root) {
    qstest::WriteFileBytes(
        dir.file(std::string("Test.uir/") + file),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>P</class>" + root + "</ui>");
}

// Panel 1: every kind of control, styled like the program's panels; panel 2: a child panel
// with its own place; panel 3: one without a place (centred).
inline void WriteTestResource(const qstest::TempProgramDir& dir) {
    std::filesystem::create_directories(dir.file("Test.uir"));
    const std::string body =
        W("QPushButton", "QUIT", QUIT, 10, 10, 80, 30, "cb=TestCb;" + Text("text", "Quit")) +
        W("QPushButton", "GO", GO, 100, 10, 80, 30, Text("text", "Go")) +
        W("QComboBox", "RING", RING, 10, 50, 120, 24) +
        W("QLabel", "NUMLABEL", 0, 140, 50, 60, 20, Text("text", "Count") + Text("buddy", "NUM", "cstring")) +
        W("QSpinBox", "NUM", NUM, 200, 50, 60, 24, Text("maximum", "999", "number")) +
        W("QTableWidget", "TABLE", TABLE, 10, 80, 300, 120,
          "cb=TableCb;" + Text("columnCount", "3", "number")) +
        W("QPlainTextEdit", "TEXT", TEXT, 10, 210, 200, 60) + W("QLabel", "MSG", MSG, 220, 210, 100, 20) +
        W("QsPicture", "PIC", PIC, 320, 10, 40, 40) +
        W("QsHyperlink", "LINK", LINK, 220, 240, 100, 20,
          Text("text", "site") + Text("url", "https://example.org/clock")) +
        W("QCheckBox", "SW", SW, 320, 60, 60, 20, "cb=TestCb;") +
        W("QLineEdit", "EDIT", EDIT, 320, 90, 70, 24, "cb=TestCb;") +
        W("QGroupBox", "BOX", 0, 320, 130, 70, 60, "", W("QPushButton", "INNER", INNER, 5, 20, 50, 24)) +
        W("QLabel", "PLAIN", PLAIN, 320, 200, 70, 20);
    const std::string sheet = Text("styleSheet", "QPushButton { background-color: #202020; }");
    WriteUi(dir, "01-test.ui",
            W("QWidget", "TEST", 0, 0, 0, 400, 300, "cb=PanelCb;" + sheet + Text("windowTitle", "T"), body));
    WriteUi(dir, "02-child.ui",
            W("QWidget", "CHILD", 0, 20, 30, 100, 80, "cb=ChildPanelCb;",
              W("QPushButton", "OK", 2, 5, 5, 60, 24, "cb=ChildCb;") +
                  W("QToolButton", "CLOSEBOX", 0, 80, 0, 20, 20,
                    "<property name=\"closeBox\" stdset=\"0\"><bool>true</bool></property>")));
    WriteUi(dir, "03-centred.ui", W("QWidget", "CENTRED", 0, 0, 0, 100, 50));
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        WriteTestResource(dir_);
        g_calls.clear();
        for (const char* name : {"TestCb", "TableCb", "PanelCb", "ChildCb", "ChildPanelCb"})
            RegisterCallback(name, Record);
        panel_ = LoadPanel(0, "Test.uir", 1);
        ASSERT_GT(panel_, 0);
    }
    void TearDown() override {
        DiscardPanel(panel_);  // may already be gone
        Pump();
    }
    // The widget of a control, found by its name.
    template <class T = QWidget>
    T* Find(const char* name) {
        for (QWidget* w : QApplication::allWidgets())
            if (w->objectName() == QLatin1String(name) && qobject_cast<T*>(w)) return qobject_cast<T*>(w);
        return nullptr;
    }
    // Takes every event pending, without sleeping: commits that went to the queue are kept.
    void Pump() {
        int p, c;
        for (int i = 0; i < 5; ++i) {
            ProcessSystemEvents();
            for (SetNextWake(0); GetUserEvent(0, &p, &c); SetNextWake(0))
                queued_.push_back({p, c, EVENT_COMMIT, 0, 0});
        }
    }
    int Get(int control, int attribute) {
        int v = -1;
        EXPECT_EQ(control ? GetCtrlAttribute(panel_, control, attribute, &v)
                          : GetPanelAttribute(panel_, attribute, &v),
                  0);
        return v;
    }

    qstest::TempProgramDir dir_{false};
    int panel_ = 0;
    std::vector<Call> queued_;
};

}  // namespace pltest
