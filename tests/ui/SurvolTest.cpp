// Panel helpers: opening documents and listing free serial ports.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

namespace {

std::string lastTitle, lastMessage, lastDocument;
int documentResult = 0;
int cursorWhileOpening = -1;

void CatchMessage(const char* title, const char* message) {
    lastTitle = title;
    lastMessage = message;
}
int CatchDocument(const char* path) {
    lastDocument = path;
    GetMouseCursor(&cursorWhileOpening);
    return documentResult;
}

class Documents : public ::testing::Test {
protected:
    void SetUp() override {
        lastTitle.clear();
        lastMessage.clear();
        lastDocument.clear();
        SetMessageHook(CatchMessage);
        SetDocumentHook(CatchDocument);
        SetMouseCursor(VAL_DEFAULT_CURSOR);
    }
    void TearDown() override {
        SetMessageHook(nullptr);
        SetDocumentHook(nullptr);
    }
};

// A guide that cannot be shown names its real place on this computer, in the operator's
// language, and says why: missing file, or no program for PDF documents.
TEST_F(Documents, GuideThatCannotBeShownSaysWhyAndWhereItIs) {
    qstest::TempProgramDir dir;
    ASSERT_EQ(GenChargerTextes(1), 0);
    ASSERT_EQ(Q31ChargerMessages(1), 0);
    const std::string where = dir.path() + "/Doc/Quick Start QS310 Manager EN.pdf";
    for (auto [result, entry] : {std::pair{-1, kQ31MesDocMissing}, std::pair{-2, kQ31MesDocNoViewer}}) {
        documentResult = result;
        lastMessage.clear();
        GenOuvrirPdf("Doc\\", "Quick Start QS310 Manager EN.pdf");
        EXPECT_EQ(lastDocument, "Doc\\Quick Start QS310 Manager EN.pdf");
        EXPECT_EQ(lastTitle, GMessageG[1]);
        EXPECT_EQ(lastMessage, std::string(Q31TxtMesG[entry]) + "\n" + where) << result;
        EXPECT_EQ(cursorWhileOpening, VAL_HOUR_GLASS_CURSOR);
        int cursor = -1;
        GetMouseCursor(&cursor);
        EXPECT_EQ(cursor, VAL_DEFAULT_CURSOR);  // restored before the message
    }
}

TEST_F(Documents, OpenedDocumentShowsNoMessageAndLongPathsAreBounded) {
    documentResult = 0;
    GenOuvrirPdf("Doc\\", "Quick Start QS310 Manager FR.pdf");
    EXPECT_EQ(lastDocument, "Doc\\Quick Start QS310 Manager FR.pdf");
    EXPECT_TRUE(lastMessage.empty());
    std::string longFolder(400, 'd');
    GenOuvrirPdf(longFolder.c_str(), "x.pdf");
    EXPECT_EQ(lastDocument.size(), 259u);
}

TEST(SerialPorts, FreePortsAreListedInOrderAndClosedAgain) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    int master1 = -1, slave1 = -1, master3 = -1, slave3 = -1;
    char name1[128], name3[128];
    ASSERT_EQ(openpty(&master1, &slave1, name1, nullptr, nullptr), 0);
    ASSERT_EQ(openpty(&master3, &slave3, name3, nullptr, nullptr), 0);
    std::filesystem::create_directory(dir.file("Ports"));
    std::filesystem::create_symlink(name1, dir.file("Ports/COM1"));
    std::filesystem::create_symlink("/nonexistent/tty", dir.file("Ports/COM2"));
    std::filesystem::create_symlink(name3, dir.file("Ports/COM3"));

    int ports[64] = {};
    int n = GenPortsComLibres(ports);
    std::vector<int> found(ports, ports + n);
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
    EXPECT_NE(std::find(found.begin(), found.end(), 1), found.end());
    EXPECT_EQ(std::find(found.begin(), found.end(), 2), found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), 3), found.end());
    // Both were closed again: they open once more.
    EXPECT_GE(OpenCom(1, ""), 0);
    EXPECT_GE(OpenCom(3, ""), 0);
    CloseCom(1);
    CloseCom(3);
    for (int fd : {master1, slave1, master3, slave3}) close(fd);
}

TEST(SerialPorts, PortRingGetsOneItemPerPortValuedByItsNumber) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir;
    int dialog = LoadPanel(0, "FQ31.uir", fq31::CONNECT);
    ASSERT_GT(dialog, 0) << "the connection dialog (FQ31.uir) of the build does not load";
    const int ports[] = {1, 3, 12};
    GenPortsComCtrl(dialog, fq31::CONNECT_PORT, ports, 3);
    int count = -1;
    GetNumListItems(dialog, fq31::CONNECT_PORT, &count);
    EXPECT_EQ(count, 3);  // whatever the ring held before is gone
    SetCtrlIndex(dialog, fq31::CONNECT_PORT, 2);
    int value = 0;
    GetCtrlVal(dialog, fq31::CONNECT_PORT, &value);
    EXPECT_EQ(value, 12);
    char label[64] = {};
    GetCtrlVal(dialog, fq31::CONNECT_PORT, label, sizeof label);
    EXPECT_STREQ(label, "COM12 \xB7 /dev/ttyS11");  // the number and the device it names
    GenPortsComCtrl(dialog, fq31::CONNECT_PORT, ports, 0);
    GetNumListItems(dialog, fq31::CONNECT_PORT, &count);
    EXPECT_EQ(count, 0);  // no free port empties the ring
    DiscardPanel(dialog);
}

}  // namespace
