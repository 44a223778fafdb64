// Images of the second display: taken into "Data", shown once per file and size, and
// only from plain files of "Data".
#include "display/FsdImages.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "display/Q31Fsd.h"
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/Texts.h"

namespace {

constexpr int kTxtImageRefusee = 28;  // Q31TxtMesG: an image path outside "Data" is not shown
constexpr int kNomsMax = 100;         // names tried beside an existing one of "Data"
constexpr long kImageMax = 64 << 20;

// What each picture shows now, by (panel, control): the path and the size it was decoded for.
std::map<std::pair<int, int>, std::string>& Affichees() {
    static std::map<std::pair<int, int>, std::string> shown;
    return shown;
}

// Paths already refused with a message in this run: a record is laid out again and
// again, and the operator is told once.
std::set<std::string>& Signales() {
    static std::set<std::string> told;
    return told;
}

// A stored image path is "Data\name" ("Data/name" from other systems): a plain name in
// the program's "Data" folder, nothing above it, no drive.
bool NomSimple(std::string_view p) {
    if (p.size() <= 5 || p.substr(0, 4) != "Data" || (p[4] != '\\' && p[4] != '/')) return false;
    const std::string_view nom = p.substr(5);
    if (nom == "." || nom == "..") return false;
    for (char c : nom)
        if (c == '\\' || c == '/' || c == ':' || uint8_t(c) < 0x20) return false;
    return true;
}

// Told only while the display is shown: it is laid out hidden at every start, and a
// message then would stop the program before its main window, at each start.
void Refuser(const char* path) {
    if (!Q31FsdAffiche() || !Signales().insert(path).second) return;
    char message[600];
    StrFormat(message, sizeof message, "%s\n%s", Q31TxtMesG[kTxtImageRefusee], path);
    MessagePopup(Q31TxtLabelG[1], message);
}

// True when the file may be read: a plain name of "Data" whose file, links followed, is
// a plain file there. A missing file is no fault (the picture stays empty, unsaid).
bool Admise(const char* path) {
    if (!NomSimple(path)) {
        Refuser(path);
        return false;
    }
    long taille = 0;
    if (!FileExists(path, &taille) && !FileIsPlain(path)) return false;
    if (!FileInsideFolder("Data", path)) {
        Refuser(path);
        return false;
    }
    return true;
}

bool Contenu(const char* path, long taille, std::vector<char>* octets) {
    octets->resize(size_t(taille));
    return taille <= kImageMax && FileReadUpTo(path, octets->data(), octets->size()) == taille;
}

bool MemeContenu(const char* a, const char* b) {
    long ta = -1, tb = -2;
    if (!FileExists(a, &ta) || !FileExists(b, &tb) || ta != tb || !FileIsPlain(b)) return false;
    std::vector<char> x, y;
    return Contenu(a, ta, &x) && Contenu(b, tb, &y) && x == y;
}

}  // namespace

bool FsdLoadImage(const char* source, char* field, size_t fieldSize) {
    char name[260] = "";
    SplitPath(source, nullptr, nullptr, name);
    FsdOublierImages();
    if (name[0] == 0) return false;
    MakeDir("Data");
    // A different file of the same name already in "Data" stays: the image takes the
    // next free name ("logo-2.png"). The same file is left as it is.
    const std::string nom = name;
    const size_t point = nom.rfind('.');
    const std::string base = point == std::string::npos || point == 0 ? nom : nom.substr(0, point);
    const std::string ext = point == std::string::npos || point == 0 ? "" : nom.substr(point);
    char relative[300] = "";
    StrFormat(relative, sizeof relative, "Data\\%s", name);
    bool copie = false;
    // Only a plain file is copied: reading a FIFO or a device would wait or never end.
    for (int k = 1; k <= kNomsMax && !copie && FileIsPlain(source); ++k) {
        const std::string candidat = k == 1 ? nom : base + "-" + std::to_string(k) + ext;
        StrFormat(relative, sizeof relative, "Data\\%s", candidat.c_str());
        if (strlen(relative) >= fieldSize) break;
        long taille = 0;
        if (!FileExists(relative, &taille)) {
            copie = CopyFile(source, relative) == 0;
            if (!copie) break;
        } else {
            copie = MemeContenu(source, relative);
        }
    }
    if (!copie) {
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
    int hauteur = 0, largeur = 0;
    GetCtrlAttribute(panel, ctrl, ATTR_HEIGHT, &hauteur);
    GetCtrlAttribute(panel, ctrl, ATTR_WIDTH, &largeur);
    const std::string cle = std::string(path) + "|" + std::to_string(largeur) + "x" + std::to_string(hauteur);
    std::string& shown = Affichees()[{panel, ctrl}];
    if (path[0] != 0 && shown == cle) return;
    if (path[0] == 0 || !Admise(path) || DisplayImageFile(panel, ctrl, path) != 0) {
        DeleteImage(panel, ctrl);
        shown.clear();
        return;
    }
    shown = cle;
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
