// Saving the times through the real file dialog, with the name typed as operators
// type it: without the extension. The text export and the times file must both be
// written under that name, with their own extensions, where the load button finds them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <string>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "tests/support/TestSupport.h"

using namespace fq31;
using namespace e2e;

namespace {

// Types `name` into the next file dialog that opens and presses its button.
void TypeInNextFileDialog(const QString& name) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        dialog->selectFile(name);
        static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    poll->start(20);
}

}  // namespace

TEST(SaveDialog, ANameTypedWithoutExtensionGivesTheTextAndTheTimesFileTheirOwn) {
    qstest::TempProgramDir dir;
    auto main = [] { return MainPanel(); };
    static long textSize = -1, timesSize = -1;
    static int loadedBack = -1;
    Steps steps = {
        Until([] { return MainPanel() > 0; }),
        SetAndPress(main, MAIN_CONNECT_SWITCH, 1),
        Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
        Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); }),
        Press(main, MAIN_INPUT_1),
        Press(main, MAIN_INPUT_2),
        Until([] { return SbChronoNombre() == 2; }),
        Do([] { TypeInNextFileDialog("Course2"); }),
        Press(main, MAIN_TIMES_SAVE),
        Until([] { return !QApplication::activeModalWidget(); }),
        Passes(3),
        Do([] {
            textSize = qstest::FileSize("Chronos/Course2.txt");
            timesSize = qstest::FileSize("Chronos/Course2.q31tps");
            InstallHooks();
            PickFiles({"Chronos/Course2.q31tps"});
        }),
        Press(main, MAIN_TIMES_CLEAR),
        Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
        Until([] { return SbChronoNombre() == 0 && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP); }),
        Press(main, MAIN_TIMES_LOAD),
        Until([] { return SbChronoNombre() == 2; }),
        Do([] { loadedBack = SbChronoNombre(); }),
        Press(main, MAIN_QUIT),
        Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
    };
    const size_t count = steps.size();
    EXPECT_EQ(RunProgram(std::move(steps), 3000), count);
    RemoveHooks();
    EXPECT_GT(textSize, 0);
    EXPECT_EQ(timesSize, long(4 + 2 * sizeof(SbChronoRec)));
    EXPECT_EQ(loadedBack, 2);
    EXPECT_EQ(FilesIn(dir.file("Chronos")), (Strings{"Chrono.q31tps", "Course2.q31tps", "Course2.txt"}));
}
