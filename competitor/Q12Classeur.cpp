// Choice of the spreadsheet reader by content and extension, and the cell reads by address.
#include "competitor/Q12Classeur.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

#include "competitor/Q12Texte.h"
#include "platform/cvi.h"

namespace {

// A competitor list is a few hundred kilobytes; anything past this is not one.
constexpr std::streamoff kTailleMax = 64 << 20;

std::string Extension(const char* path) {
    const char* point = std::strrchr(path, '.');
    const char* sep = std::strpbrk(point ? point : "", "/\\");
    std::string ext = point && !sep ? point : "";
    for (char& c : ext) c = char(std::tolower(uint8_t(c)));
    return ext;
}

bool CommencePar(std::string_view octets, std::string_view magie) {
    return octets.size() >= magie.size() && octets.substr(0, magie.size()) == magie;
}

constexpr std::string_view kMagieZip("PK\x03\x04", 4);
constexpr std::string_view kMagieOle("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

}  // namespace

// Paths are stored as the program stores them (Windows-1252, '\\' allowed).
static std::string Q12CheminNatif(const char* path) {
#ifdef _WIN32
    return path;
#else
    std::string p = Q12Cp1252VersUtf8(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
#endif
}

std::unique_ptr<Q12Classeur> Q12OuvrirClasseurOctets(std::string_view octets, const char* extension,
                                                     Q12Echec* echec) {
    *echec = Q12Echec::Format;
    std::string ext = Extension(extension);
    if (CommencePar(octets, kMagieZip)) return Q12OuvrirOrcus(std::string(octets), ext == ".ods", echec);
    if (CommencePar(octets, kMagieOle)) {
        char modele[] = "/tmp/q12-xls-XXXXXX";
        int fd = mkstemp(modele);
        if (fd < 0) {
            *echec = Q12Echec::Illisible;
            return nullptr;
        }
        bool ecrit = write(fd, octets.data(), octets.size()) == ssize_t(octets.size());
        close(fd);
        if (ecrit) return Q12OuvrirXls(modele, true, echec);
        unlink(modele);
        *echec = Q12Echec::Illisible;
        return nullptr;
    }
    if (ext == ".csv" || ext == ".txt") return Q12OuvrirCsv(std::string(octets), echec);
    return nullptr;
}

std::unique_ptr<Q12Classeur> Q12OuvrirClasseur(const char* path, Q12Echec* echec) {
    *echec = Q12Echec::Introuvable;
    // Only a plain file is read: opening a FIFO or a device would wait, or never end.
    if (!path || !*path || !FileIsPlain(path)) return nullptr;
    std::string natif = Q12CheminNatif(path);
    std::ifstream in(natif, std::ios::binary | std::ios::ate);
    if (!in) return nullptr;
    std::streamoff taille = in.tellg();
    if (taille < 0) return nullptr;
    if (taille > kTailleMax) {
        *echec = Q12Echec::TropGrand;
        return nullptr;
    }
    std::string octets(size_t(taille), '\0');
    in.seekg(0);
    if (!in.read(octets.data(), taille)) {
        *echec = Q12Echec::Illisible;
        return nullptr;
    }
    // FreeXL reads from a path: give it the file itself rather than a copy.
    if (CommencePar(octets, kMagieOle)) return Q12OuvrirXls(natif.c_str(), false, echec);
    const std::string ext = Extension(path);
    // The bytes go to the reader, not a copy of them.
    if (CommencePar(octets, kMagieZip)) return Q12OuvrirOrcus(std::move(octets), ext == ".ods", echec);
    if (ext == ".csv" || ext == ".txt") return Q12OuvrirCsv(std::move(octets), echec);
    return Q12OuvrirClasseurOctets(octets, path, echec);
}

void Q12AjouterTexte(std::string* texte, std::string_view ajout) {
    if (texte->size() >= kQ12TexteMax) return;
    size_t n = std::min(ajout.size(), kQ12TexteMax - texte->size());
    // Cut on a character boundary so the kept text stays well-formed.
    while (n < ajout.size() && n > 0 && (uint8_t(ajout[n]) & 0xC0) == 0x80) --n;
    texte->append(ajout.substr(0, n));
}

void Q12Grille::Preparer(const Q12Plan& plan) {
    premiere_ = plan.premiereLigne > 0 ? plan.premiereLigne - 1 : 0;
    lignes_ = plan.lignes > 0 ? plan.lignes : 0;
    colonnes_ = plan.colonnes & ((1u << 26) - 1);
    cases_.assign(size_t(lignes_) * 26, Q12Cellule{});
}

Q12Cellule* Q12Grille::Case(long long ligne, long long colonne) {
    if (ligne < premiere_ || ligne > DerniereLigne() || colonne < 0 || colonne >= 26) return nullptr;
    if (!(colonnes_ >> colonne & 1)) return nullptr;
    return &cases_[size_t(ligne - premiere_) * 26 + size_t(colonne)];
}

const Q12Cellule* Q12Grille::Case(long long ligne, long long colonne) const {
    return const_cast<Q12Grille*>(this)->Case(ligne, colonne);
}

bool Q12Classeur::Lire(int ligne, int colonne, Q12Cellule* cellule) {
    *cellule = Q12Cellule{};
    if (!charge_) return false;
    if (const Q12Cellule* c = grille_.Case(ligne, colonne)) *cellule = *c;
    return true;
}

namespace {

bool LireAdresse(Q12Classeur& classeur, char colonne, int ligne, Q12Cellule* cellule) {
    if (colonne < 'A' || colonne > 'Z' || ligne < 1) return false;
    return classeur.Lire(ligne - 1, colonne - 'A', cellule);
}

int EntierDeNombre(double v) {
    if (!std::isfinite(v)) return 0;
    double r = std::round(v);
    if (r < double(std::numeric_limits<int>::min()) || r > double(std::numeric_limits<int>::max())) return 0;
    return int(r);
}

// A text holding a plain integer, blanks around allowed ("12", " +7 "); anything else is 0.
int EntierDeTexte(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    bool negatif = !t.empty() && t.front() == '-';
    if (negatif) t.remove_prefix(1);
    if (t.empty() || t.front() == '+' || t.front() == '-') return 0;
    int v = 0;
    auto [fin, err] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (err != std::errc() || fin != t.data() + t.size()) return 0;
    return negatif ? -v : v;
}

}  // namespace

bool Q12LireEntier(Q12Classeur& classeur, char colonne, int ligne, int* valeur) {
    Q12Cellule c;
    *valeur = 0;
    if (!LireAdresse(classeur, colonne, ligne, &c)) return false;
    if (c.type == Q12Cellule::Nombre)
        *valeur = EntierDeNombre(c.nombre);
    else if (c.type == Q12Cellule::Texte)
        *valeur = EntierDeTexte(c.texte);
    return true;
}

bool Q12EstFormule(Q12Classeur& classeur, char colonne, int ligne) {
    Q12Cellule c;
    return LireAdresse(classeur, colonne, ligne, &c) && c.type == Q12Cellule::Formule;
}

bool Q12LireTexte(Q12Classeur& classeur, char colonne, int ligne, std::string* texte) {
    Q12Cellule c;
    texte->clear();
    if (!LireAdresse(classeur, colonne, ligne, &c)) return false;
    if (c.type == Q12Cellule::Texte) {
        *texte = std::move(c.texte);
    } else if (c.type == Q12Cellule::Nombre) {
        char buf[32];
        double v = c.nombre;
        if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
            std::snprintf(buf, sizeof buf, "%.0f", v);
        else
            std::snprintf(buf, sizeof buf, "%.15G", v);
        *texte = buf;
    }
    return true;
}
