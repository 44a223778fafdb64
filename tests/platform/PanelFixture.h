// A test resource "Test.uir" with every kind of control in a private program folder, and a
// recorder of the callback calls its panels make.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <filesystem>
#include <sstream>
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

enum { QUIT = 2, GO, RING, NUM, TABLE, TEXT, MSG, PIC, LINK, SW, EDIT, INNER, PLAIN };

// A Designer file, one line per widget: "Class Name control x y width height property=value...".
// The first line is the panel and holds the others; a line starting with '>' goes inside the
// one before it.
inline void WriteUi(const qstest::TempProgramDir& dir, const char* file, std::vector<std::string> lines) {
    std::vector<std::string> xml;
    for (const std::string& line : lines) {
        std::istringstream in(line.substr(line[0] == '>'));
        std::string cls, name, ctrl, x, y, w, h;
        in >> cls >> name >> ctrl >> x >> y >> w >> h;
        std::string s = "<widget class=\"" + cls + "\" name=\"" + name +
                        "\"><property name=\"geometry\"><rect><x>" + x + "</x><y>" + y + "</y><width>" + w +
                        "</width><height>" + h + "</height></rect></property>";
        std::string kv = "ctrl=" + ctrl;
        do {
            const std::string key = kv.substr(0, kv.find('=')), value = kv.substr(kv.find('=') + 1);
            const char* type = key == "buddy"                                               ? "cstring"
                               : value == "true"                                            ? "bool"
                               : value.find_first_not_of("0123456789") == std::string::npos ? "number"
                                                                                            : "string";
            const bool dynamic = key == "ctrl" || key == "callback" || key == "closeBox";
            if (value != "0")
                s += "<property name=\"" + key + (dynamic ? "\" stdset=\"0\"><" : "\"><") + type + ">" +
                     value + "</" + type + "></property>";
        } while (in >> kv);
        if (line[0] == '>')
            xml.back().insert(xml.back().size() - 9, s + "</widget>");
        else
            xml.push_back(s + "</widget>");
    }
    for (size_t i = 1; i < xml.size(); ++i) xml[0].insert(xml[0].size() - 9, xml[i]);
    std::filesystem::create_directories(dir.file("Test.uir"));
    qstest::WriteFileBytes(dir.file(std::string("Test.uir/") + file),
                           "<?xml version=\"1.0\"?><ui version=\"4.0\"><class>P</class>" + xml[0] + "</ui>");
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        // Styled like the program's panels: a style sheet on the panel colours its buttons.
        WriteUi(
            dir_, "01-test.ui",
            {"QWidget TEST 0 0 0 400 300 callback=PanelCb windowTitle=T "
             "styleSheet=QPushButton{background:#202020}",
             "QPushButton QUIT 2 10 10 80 30 callback=TestCb text=Quit",
             "QPushButton GO 3 100 10 80 30 text=Go", "QComboBox RING 4 10 50 120 24",
             "QLabel NUMLABEL 0 140 50 60 20 text=Count buddy=NUM", "QSpinBox NUM 5 200 50 60 24 maximum=999",
             "QTableWidget TABLE 6 10 80 300 120 callback=TableCb columnCount=3",
             "QPlainTextEdit TEXT 7 10 210 200 60", "QLabel MSG 8 220 210 100 20",
             "QsPicture PIC 9 320 10 40 40",
             "QsHyperlink LINK 10 220 240 100 20 text=site url=https://example.org/clock",
             "QCheckBox SW 11 320 60 60 20 callback=TestCb", "QLineEdit EDIT 12 320 90 70 24 callback=TestCb",
             "QGroupBox BOX 0 320 130 70 60", ">QPushButton INNER 13 5 20 50 24",
             "QLabel PLAIN 14 320 200 70 20"});
        // A child panel with its own place and a close box, one without a place (centred).
        WriteUi(dir_, "02-child.ui",
                {"QWidget CHILD 0 20 30 100 80 callback=ChildPanelCb",
                 "QPushButton OK 2 5 5 60 24 callback=ChildCb",
                 "QToolButton CLOSEBOX 0 80 0 20 20 closeBox=true"});
        WriteUi(dir_, "03-centred.ui", {"QWidget CENTRED 0 0 0 100 50"});
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
    template <class T = QWidget>
    T* Find(const char* name) {
        for (QWidget* w : QApplication::allWidgets())
            if (w->objectName() == QLatin1String(name) && qobject_cast<T*>(w)) return qobject_cast<T*>(w);
        return nullptr;
    }
    // Takes every event pending without sleeping; commits that went to the queue are kept.
    void Pump() {
        for (int i = 0, p, c; i < 5; ++i, ProcessSystemEvents())
            for (SetNextWake(0); GetUserEvent(0, &p, &c); SetNextWake(0))
                queued_.push_back({p, c, EVENT_COMMIT, 0, 0});
    }
    int Get(int control, int attribute) {  // control 0: the panel's
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
