// Images of the second display: taken into "Data", shown once per file.
#include "display/FsdImages.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/Texts.h"

namespace {

// What each picture shows now, by (panel, control).
std::map<std::pair<int, int>, std::string>& Affichees() {
    static std::map<std::pair<int, int>, std::string> shown;
    return shown;
}

}  // namespace

bool FsdLoadImage(const char* source, char* field, size_t fieldSize) {
    char name[260] = "";
    SplitPath(source, nullptr, nullptr, name);
    char relative[300];
    StrFormat(relative, sizeof relative, "Data\\%s", name);
    FsdOublierImages();
    if (name[0] == 0 || strlen(relative) >= fieldSize) return false;
    MakeDir("Data");
    if (CopyFile(source, relative) != 0) {
        // The record keeps an image it can show rather than a path to nothing.
        char message[600];
        StrFormat(message, sizeof message, "%s\n-> %s", source, relative);
        MessagePopup(Q31TxtLabelG[39], message);
        return false;
    }
    StrCopy(field, fieldSize, relative);
    return true;
}

void FsdAfficherImage(int panel, int ctrl, const char* path) {
    std::string& shown = Affichees()[{panel, ctrl}];
    if (path[0] != 0 && shown == path) return;
    if (path[0] == 0 || DisplayImageFile(panel, ctrl, path) != 0) {
        DeleteImage(panel, ctrl);
        shown.clear();
        return;
    }
    shown = path;
}

void FsdEffacerImage(int panel, int ctrl) {
    std::string& shown = Affichees()[{panel, ctrl}];
    if (shown.empty()) return;
    DeleteImage(panel, ctrl);
    shown.clear();
}

void FsdOublierImages() {
    Affichees().clear();
}
