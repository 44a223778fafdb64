// Screenshot helper: loads the main window through the run-time layer, shows a countdown
// in progress (27 s to go, the arc red, amber and green, the big light red, hands at 10:21)
// and saves the window's image.
#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "panels/FQ31.h"
#include "platform/CustomControl.h"
#include "platform/cvi.h"

using namespace fq31;

namespace {

constexpr int kUnlit = 0x303030;

void FillDial(int panel) {
    // 33 seconds of a one-minute countdown have gone by.
    for (int p = 0; p < 60; ++p) {
        int colour = kUnlit;
        if (p < 22)
            colour = 0xFF0000;
        else if (p < 30)
            colour = 0xFFE500;
        else if (p < 33)
            colour = 0x00FF00;
        SetCtrlIndexVal(panel, MAIN_DIAL, p, colour);
    }
    SetCtrlAttribute(panel, MAIN_DIAL, ATTR_HOUR_HAND, 10 * 5 + 21 / 12);
    SetCtrlAttribute(panel, MAIN_DIAL, ATTR_MINUTE_HAND, 21);
    SetCtrlAttribute(panel, MAIN_BIG_LIGHT, ATTR_ON_COLOR, 0xFF0000);
    SetCtrlVal(panel, MAIN_BIG_LIGHT, 1);
    SetCtrlVal(panel, MAIN_MINUS, 0);
    SetCtrlVal(panel, MAIN_DIGIT_LEFT, 0x5B);   // 2
    SetCtrlVal(panel, MAIN_DIGIT_RIGHT, 0x07);  // 7
}

void FillStatus(int panel) {
    SetCtrlVal(panel, MAIN_CONNECT_SWITCH, 1);
    SetCtrlVal(panel, MAIN_FSD_SWITCH, 1);
    SetCtrlAttribute(panel, MAIN_KEYS_SWITCH, ATTR_DIMMED, 1);
    SetCtrlAttribute(panel, MAIN_Q12_SWITCH, ATTR_DIMMED, 1);
    SetCtrlVal(panel, MAIN_IDENTITY,
               "N\xB0"
               "01234 V000");
    SetCtrlVal(panel, MAIN_LINK_LAMP, 1);
    SetCtrlVal(panel, MAIN_P8_LAMP, 0);
    SetCtrlAttribute(panel, MAIN_FLASH_LIGHT0, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, MAIN_FLASH_ZERO, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, MAIN_FLASH_5, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, MAIN_FLASH_INPUT2, ATTR_VISIBLE, 0);
    for (int c : {MAIN_EXT_VAL_1, MAIN_EXT_VAL_2, MAIN_EXT_VAL_3}) SetCtrlVal(panel, c, 0);
    SetCtrlVal(panel, MAIN_EXT_VAL_1, 1);
    SetCtrlAttribute(panel, MAIN_EXT_1, ATTR_LABEL_TEXT, "Ethernet");
    SetCtrlAttribute(panel, MAIN_EXT_2, ATTR_DIMMED, 1);
    SetCtrlAttribute(panel, MAIN_EXT_3, ATTR_DIMMED, 1);
    for (int c : {MAIN_PAGE_0, MAIN_PAGE_1, MAIN_PAGE_2, MAIN_PAGE_3, MAIN_PAGE_4, MAIN_PAGE_5, MAIN_EXT_1})
        SetCtrlAttribute(panel, c, ATTR_DIMMED, 1);  // a start program is running
    SetCtrlVal(panel, MAIN_PROG_BOX, "Program 3\nIndividual start 60 s");
    SetCtrlVal(panel, MAIN_RUN_INFO, "01234\nSPLIT\n3\n1/100\n06/12/26\n09:14:05");
    SetCtrlAttribute(panel, MAIN_START, ATTR_DIMMED, 1);
}

void FillTimes(int panel) {
    struct Row {
        const char* mark;
        const char* number;
        const char* channel;
        const char* time;
    };
    const std::array<Row, 8> rows{{
        {"  ", "   12", "M1", " 09 : 14 : 52.31"},
        {"DT", "   12", "R1", " 09 : 15 : 00.00"},
        {"DT", "   12", "D1", " 00 : 00 : 07.69"},
        {"  ", "   13", "M1", " 09 : 16 : 03.88"},
        {"DT", "   13", "R1", " 09 : 16 : 00.00"},
        {"DT", "   13", "D1", " 00 : 00 : 03.88"},
        {" !", "   14", "M2", " 09 : 16 : 41.02"},
        {" X", "    5", "M2", " 09 : 16 : 58.77"},
    }};
    InsertTableRows(panel, MAIN_TIMES_TABLE, -1, int(rows.size()) + 2);
    for (int r = 0; r < int(rows.size()); ++r) {
        const std::array<const char*, 4> cells{rows[r].mark, rows[r].number, rows[r].channel, rows[r].time};
        for (int c = 0; c < 4; ++c) {
            SetTableCellVal(panel, MAIN_TIMES_TABLE, MakePoint(c + 1, r + 1), cells[c]);
            SetTableCellAttribute(panel, MAIN_TIMES_TABLE, MakePoint(c + 1, r + 1), ATTR_TEXT_BGCOLOR,
                                  (r / 3) % 2 ? 0xE8E8E8 : 0xFFFFFF);
        }
    }
    SetTableColumnAttribute(panel, MAIN_TIMES_TABLE, 4, ATTR_LABEL_TEXT, "Time");
}

// The captions that show only under the mouse start hidden, as the window opens.
void HideHoverCaptions(int panel) {
    for (int c : {MAIN_CONNECT_SWITCH, MAIN_FSD_SWITCH, MAIN_KEYS_SWITCH, MAIN_Q12_SWITCH, MAIN_PARAMS,
                  MAIN_DOC, MAIN_ABOUT, MAIN_QUIT, MAIN_TIMES_REFRESH, MAIN_TIMES_SAVE, MAIN_TIMES_LOAD,
                  MAIN_TIMES_PRINT, MAIN_TIMES_CLEAR, MAIN_TIMES_NORMAL, MAIN_TIMES_INVALID,
                  MAIN_TIMES_DOUBTFUL, MAIN_START, MAIN_STOP, MAIN_RESET})
        SetCtrlAttribute(panel, c, ATTR_LABEL_VISIBLE, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: qs_screenshot <program folder> <out.png> [captions]\n");
        return 2;
    }
    setenv("QS_PROGRAM_DIR", argv[1], 1);
    if (!InitCVIRTE(argc, argv)) return 1;
    if (!qs::FindControlClass("QsDial")) QsRegisterClockControls();
    const int panel = LoadPanel(0, "FQ31.uir", MAIN);
    if (panel <= 0) {
        std::fprintf(stderr, "cannot load the main window (%d)\n", panel);
        return 1;
    }
    FillDial(panel);
    FillStatus(panel);
    FillTimes(panel);
    if (argc < 4) HideHoverCaptions(panel);
    DisplayPanel(panel);
    for (int i = 0; i < 20; ++i) {
        ProcessSystemEvents();
        Delay(0.02);
    }
    ProcessDrawEvents();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "MAIN" && w->isVisible()) {
            const bool saved = w->grab().save(QString::fromLocal8Bit(argv[2]));
            if (saved) std::printf("%s\n", argv[2]);
            DiscardPanel(panel);
            CloseCVIRTE();
            return saved ? 0 : 1;
        }
    }
    std::fprintf(stderr, "main window not found\n");
    CloseCVIRTE();
    return 1;
}
