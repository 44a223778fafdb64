// Reader of delimited text files (.csv, .txt): one sheet, separator ',' ';' or TAB
// (the one that occurs most in the first line), quoted fields, CRLF, LF or CR line
// ends, UTF-8 (BOM allowed) or, failing that, Windows-1252 as Windows programs write.
#include <string>
#include <vector>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Texte.h"

namespace {

constexpr int kColonnes = 26;
constexpr size_t kLignesMax = 1 << 20;
constexpr size_t kChampsMax = 4'000'000;  // fields kept, empty ones included

char Separateur(std::string_view t) {
    size_t virgules = 0, points = 0, tabs = 0;
    bool guillemets = false;
    for (char c : t) {
        if (c == '"') guillemets = !guillemets;
        if (guillemets) continue;
        if (c == '\n' || c == '\r') break;
        virgules += c == ',';
        points += c == ';';
        tabs += c == '\t';
    }
    if (points > virgules && points >= tabs) return ';';
    if (tabs > virgules && tabs > points) return '\t';
    return ',';
}

class ClasseurCsv : public Q12Classeur {
public:
    std::vector<std::vector<std::string>> lignes;

    int NombreFeuilles() const override { return 1; }
    bool ChoisirFeuille(int index) override { return choisie_ = index == 1; }
    bool Lire(int ligne, int colonne, Q12Cellule* cellule) override {
        *cellule = Q12Cellule{};
        if (!choisie_) return false;
        if (ligne < 0 || size_t(ligne) >= lignes.size() || colonne < 0) return true;
        const auto& l = lignes[size_t(ligne)];
        if (size_t(colonne) >= l.size() || l[size_t(colonne)].empty()) return true;
        cellule->type = Q12Cellule::Texte;
        cellule->texte = l[size_t(colonne)];
        return true;
    }

private:
    bool choisie_ = false;
};

// Splits the text into rows of fields (only the first 26 of each row are kept).
bool Decouper(std::string_view t, char sep, ClasseurCsv* c) {
    std::vector<std::string> ligne;
    std::string champ;
    size_t champs = 0;
    bool guillemets = false;
    auto finChamp = [&] {
        if (ligne.size() < kColonnes) {
            ++champs;
            ligne.push_back(std::move(champ));
        }
        champ.clear();
    };
    auto finLigne = [&] {
        finChamp();
        c->lignes.push_back(std::move(ligne));
        ligne.clear();
        return c->lignes.size() < kLignesMax && champs <= kChampsMax;
    };
    for (size_t i = 0; i < t.size(); ++i) {
        char ch = t[i];
        if (guillemets) {
            if (ch != '"')
                champ += ch;
            else if (i + 1 < t.size() && t[i + 1] == '"')
                champ += '"', ++i;
            else
                guillemets = false;
        } else if (ch == '"') {
            guillemets = true;
        } else if (ch == sep) {
            finChamp();
        } else if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
            if (!finLigne()) return false;
        } else {
            champ += ch;
        }
    }
    if (!champ.empty() || !ligne.empty()) return finLigne();
    return true;
}

}  // namespace

std::unique_ptr<Q12Classeur> Q12OuvrirCsv(std::string_view octets, Q12Echec* echec) {
    std::string texte;
    if (octets.substr(0, 3) == "\xEF\xBB\xBF") octets.remove_prefix(3);
    if (octets.find('\0') != std::string_view::npos) {
        *echec = Q12Echec::Format;  // a binary file, not text
        return nullptr;
    }
    texte = Q12EstUtf8(octets) ? std::string(octets) : Q12Cp1252VersUtf8(octets);
    auto c = std::make_unique<ClasseurCsv>();
    if (!Decouper(texte, Separateur(texte), c.get())) {
        *echec = Q12Echec::TropGrand;
        return nullptr;
    }
    *echec = Q12Echec::Aucun;
    return c;
}
