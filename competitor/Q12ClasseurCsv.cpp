// Reader of delimited text files (.csv, .txt): one sheet, separator ',' ';' or TAB
// (the one that occurs most in the first line), quoted fields, CRLF, LF or CR line
// ends, UTF-8 (BOM allowed) or, failing that, Windows-1252 as Windows programs write; UTF-16
// with its byte-order mark, as spreadsheet programs save "Unicode text".
#include <algorithm>
#include <string>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Texte.h"

namespace {

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
    explicit ClasseurCsv(std::string texte) : texte_(std::move(texte)) {}

    // Splits the rows up to the last one kept; only the kept fields are stored.
    bool Charger(const Q12Plan& plan, Q12Echec* echec) override {
        grille_.Preparer(plan);
        charge_ = false;
        *echec = Q12Echec::Feuille;
        if (plan.feuille != 1) return false;
        const std::string_view t = texte_;
        const char sep = Separateur(t);
        long long ligne = 0;
        int colonne = 0;
        std::string champ;
        bool guillemets = false;
        auto finChamp = [&] {
            Q12Cellule* c = grille_.Case(ligne, colonne++);
            if (c && !champ.empty()) c->type = Q12Cellule::Texte, c->texte = champ;
            champ.clear();
        };
        auto garder = [&](char ch) {
            if (grille_.Case(ligne, colonne) && champ.size() < kQ12TexteMax) champ += ch;
        };
        size_t i = 0;
        for (; i < t.size() && ligne <= grille_.DerniereLigne(); ++i) {
            const char ch = t[i];
            if (guillemets) {
                if (ch != '"')
                    garder(ch);
                else if (i + 1 < t.size() && t[i + 1] == '"')
                    garder('"'), ++i;
                else
                    guillemets = false;
            } else if (ch == '"') {
                guillemets = true;
            } else if (ch == sep) {
                finChamp();
            } else if (ch == '\r' || ch == '\n') {
                if (ch == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
                finChamp();
                ++ligne;
                colonne = 0;
                const long long lues = ligne - grille_.PremiereLigne();
                if (plan.progres && lues > 0 && lues % 64 == 0 &&
                    !plan.progres(plan.contexte, int(std::min<long long>(lues, plan.lignes)), plan.lignes)) {
                    *echec = Q12Echec::Annule;
                    return false;
                }
            } else {
                garder(ch);
            }
        }
        if (ligne <= grille_.DerniereLigne()) finChamp();
        // UTF-8 when the rows read are; Windows-1252, as Windows programs write, otherwise.
        if (!Q12EstUtf8(t.substr(0, i)))
            for (long long r = grille_.PremiereLigne(); r <= grille_.DerniereLigne(); ++r)
                for (int col = 0; col < 26; ++col)
                    if (Q12Cellule* c = grille_.Case(r, col); c && !c->texte.empty())
                        c->texte = Q12Cp1252VersUtf8(c->texte);
        *echec = Q12Echec::Aucun;
        charge_ = true;
        return true;
    }

private:
    std::string texte_;
};

}  // namespace

std::unique_ptr<Q12Classeur> Q12OuvrirCsv(std::string octets, Q12Echec* echec) {
    if (octets.compare(0, 3, "\xEF\xBB\xBF") == 0) octets.erase(0, 3);
    const bool petitBout = octets.compare(0, 2, "\xFF\xFE") == 0;
    if (petitBout || octets.compare(0, 2, "\xFE\xFF") == 0)
        octets = Q12Utf16VersUtf8(std::string_view(octets).substr(2), !petitBout);
    if (octets.find('\0') != std::string::npos) {
        *echec = Q12Echec::Format;  // a binary file, not text
        return nullptr;
    }
    *echec = Q12Echec::Aucun;
    return std::make_unique<ClasseurCsv>(std::move(octets));
}
