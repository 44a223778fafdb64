// Test resource "Test.uir" written into a private program folder, and a recorder of callback calls.
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

inline std::vector<Call>& Calls() {
    static std::vector<Call> calls;
    return calls;
}

inline int Record(int panel, int control, int event, void*, int d1, int d2) {
    Calls().push_back({panel, control, event, d1, d2});
    return 0;
}

inline int CountEvents(int event, int control = -1) {
    int n = 0;
    for (const Call& c : Calls())
        if (c.event == event && (control < 0 || c.control == control)) ++n;
    return n;
}

inline std::string Prop(const char* name, const std::string& value, const char* kind = "string") {
    return std::string("<property name=\"") + name + "\" stdset=\"0\"><" + kind + ">" + value + "</" + kind +
           "></property>";
}

inline std::string Geometry(int x, int y, int w, int h) {
    return "<property name=\"geometry\"><rect><x>" + std::to_string(x) + "</x><y>" + std::to_string(y) +
           "</y><width>" + std::to_string(w) + "</width><height>" + std::to_string(h) +
           "</height></rect></property>";
}

inline std::string Widget(const char* cls, const char* name, int ctrl, const std::string& inner,
                          const char* callback = nullptr) {
    std::string s = std::string("<widget class=\"") + cls + "\" name=\"" + name + "\">";
    if (ctrl > 0) s += Prop("ctrl", std::to_string(ctrl), "number");
    if (callback) s += Prop("callback", callback);
    return s + inner + "</widget>";
}

inline std::string UiFile(const char* name, const std::string& rootGeometry, const std::string& body,
                          const char* callback = nullptr) {
    // Styled like the program's panels: a style sheet on the panel colours its buttons.
    std::string root = "<widget class=\"QWidget\" name=\"" + std::string(name) + "\">" + rootGeometry +
                       "<property name=\"styleSheet\"><string>QPushButton { background-color: #202020; "
                       "}</string></property>" +
                       "<property name=\"windowTitle\"><string>Test</string></property>" +
                       (callback ? Prop("callback", callback) : std::string()) + body + "</widget>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>" + std::string(name) +
           "</class>" + root + "</ui>";
}

// Control numbers of the test panel.
enum {
    QUIT = 2,
    GO = 3,
    RING = 4,
    NUM = 5,
    TABLE = 6,
    TEXT = 7,
    MSG = 8,
    PIC = 9,
    LINK = 10,
    SW = 11,
    EDIT = 12,
    INNER = 13,
    PLAIN = 14,
};

// Panel 1: every kind of control; panel 2: a child panel with its own place; panel 3:
// a child panel without a place (centred).
inline void WriteTestResource(const qstest::TempProgramDir& dir) {
    std::filesystem::create_directories(dir.file("Test.uir"));
    std::string body =
        Widget("QPushButton", "QUIT", QUIT,
               Geometry(10, 10, 80, 30) + "<property name=\"text\"><string>Quit</string></property>",
               "TestCb") +
        Widget("QPushButton", "GO", GO,
               Geometry(100, 10, 80, 30) + "<property name=\"text\"><string>Go</string></property>") +
        Widget("QComboBox", "RING", RING, Geometry(10, 50, 120, 24)) +
        Widget("QLabel", "NUMLABEL", 0,
               Geometry(140, 50, 60, 20) +
                   "<property name=\"text\"><string>Count</string></property><property "
                   "name=\"buddy\"><cstring>NUM</cstring></property>") +
        Widget("QSpinBox", "NUM", NUM,
               Geometry(200, 50, 60, 24) + "<property name=\"maximum\"><number>999</number></property>") +
        Widget("QTableWidget", "TABLE", TABLE,
               Geometry(10, 80, 300, 120) + "<property name=\"columnCount\"><number>3</number></property>",
               "TableCb") +
        Widget("QPlainTextEdit", "TEXT", TEXT, Geometry(10, 210, 200, 60)) +
        Widget("QLabel", "MSG", MSG, Geometry(220, 210, 100, 20)) +
        Widget("QsPicture", "PIC", PIC, Geometry(320, 10, 40, 40)) +
        Widget("QsHyperlink", "LINK", LINK,
               Geometry(220, 240, 100, 20) +
                   "<property name=\"text\"><string>site</string></property><property "
                   "name=\"url\"><string>https://example.org/clock</string></property>") +
        Widget("QCheckBox", "SW", SW, Geometry(320, 60, 60, 20), "TestCb") +
        Widget("QLineEdit", "EDIT", EDIT, Geometry(320, 90, 70, 24), "TestCb") +
        Widget("QGroupBox", "BOX", 0,
               Geometry(320, 130, 70, 60) + Widget("QPushButton", "INNER", INNER, Geometry(5, 20, 50, 24))) +
        Widget("QLabel", "PLAIN", PLAIN, Geometry(320, 200, 70, 20));
    qstest::WriteFileBytes(dir.file("Test.uir/01-test.ui"),
                           UiFile("TEST", Geometry(0, 0, 400, 300), body, "PanelCb"));
    qstest::WriteFileBytes(
        dir.file("Test.uir/02-child.ui"),
        UiFile("CHILD", Geometry(20, 30, 100, 80),
               Widget("QPushButton", "OK", 2, Geometry(5, 5, 60, 24), "ChildCb") +
                   Widget("QToolButton", "CLOSEBOX", 0,
                          Geometry(80, 0, 20, 20) +
                              "<property name=\"closeBox\" stdset=\"0\"><bool>true</bool></property>"),
               "ChildPanelCb"));
    qstest::WriteFileBytes(dir.file("Test.uir/03-centred.ui"),
                           UiFile("CENTRED", Geometry(0, 0, 100, 50), ""));
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        WriteTestResource(dir_);
        Calls().clear();
        RegisterCallback("TestCb", Record);
        RegisterCallback("TableCb", Record);
        RegisterCallback("PanelCb", Record);
        RegisterCallback("ChildCb", Record);
        RegisterCallback("ChildPanelCb", Record);
        panel_ = LoadPanel(0, "Test.uir", 1);
        ASSERT_GT(panel_, 0);
    }
    void TearDown() override {
        DiscardPanel(panel_);  // may already be gone
        ProcessSystemEvents();
        int p = 0, c = 0;
        for (SetNextWake(0); GetUserEvent(0, &p, &c); SetNextWake(0)) {
        }  // nothing left for the next test
    }
    // The widget of a control, found by its name in the panel.
    template <class W = QWidget>
    W* Find(const char* name) {
        for (QWidget* top : QApplication::allWidgets())
            if (top->objectName() == QLatin1String(name) && qobject_cast<W*>(top))
                return qobject_cast<W*>(top);
        return nullptr;
    }
    void Pump(int passes = 5) {
        int p, c;
        for (int i = 0; i < passes; ++i) {
            ProcessSystemEvents();
            // Each pass takes what is pending and asks for no sleep: nothing more is coming.
            for (SetNextWake(0); GetUserEvent(0, &p, &c); SetNextWake(0))
                queued_.push_back({p, c, EVENT_COMMIT, 0, 0});
        }
    }

    qstest::TempProgramDir dir_{false};
    int panel_ = 0;
    std::vector<Call> queued_;
};

}  // namespace pltest
