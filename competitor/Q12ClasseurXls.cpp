// Reader of .xls workbooks (Excel 97-2003) over FreeXL. FreeXL sizes every sheet from
// the dimensions the file declares, all sheets at once, and reads formula cells as
// empty: the file's records are walked first, to refuse declared sizes no list has and
// to know which cells hold formulas.
#include <freexl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <utility>

#include "competitor/Q12Classeur.h"

namespace {

// FreeXL takes about 16 bytes and 50 ns per declared cell, whatever the cell holds.
constexpr unsigned long long kCellulesMax = 8'000'000;
constexpr size_t kFormulesMax = 100'000;

uint32_t L32(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t L16(std::string_view b, size_t at) {
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// The compound file around the workbook: its allocation table and directory, enough to
// take the workbook stream out.
class Composite {
public:
    explicit Composite(std::string_view b) : b_(b) {}

    bool Flux(std::string* sortie) {
        if (b_.size() < 512 || L16(b_, 0x1C) != 0xFFFE) return false;
        decalage_ = L16(b_, 0x1E);
        if ((decalage_ != 9 && decalage_ != 12) || L16(b_, 0x20) != 6) return false;
        secteurs_ = (b_.size() >> decalage_) + 1;
        if (!Table()) return false;
        std::string dossier;
        if (!Chaine(fat_, L32(b_, 0x30), secteurs_ << decalage_, &dossier, decalage_, false)) return false;
        std::string racine;
        uint32_t debut = 0, taille = 0;
        bool trouve = false;
        for (size_t e = 0; e + 128 <= dossier.size(); e += 128) {
            const std::string_view d(dossier.data() + e, 128);
            const uint8_t type = uint8_t(d[0x42]);
            std::string nom;
            // The name length counts its terminating zero.
            for (size_t i = 0; i + 2 < std::min<size_t>(L16(d, 0x40), 64); i += 2)
                nom += char(std::tolower(d[i]));
            if (type == 5 && racine.empty() &&
                !Chaine(fat_, L32(d, 0x74), L32(d, 0x78), &racine, decalage_, false))
                return false;
            if (type == 2 && !trouve && (nom == "workbook" || nom == "book")) {
                debut = L32(d, 0x74);
                taille = L32(d, 0x78);
                trouve = true;
            }
        }
        if (!trouve || taille > b_.size()) return false;
        if (taille >= L32(b_, 0x38)) return Chaine(fat_, debut, taille, sortie, decalage_, true);
        // A small workbook lies in the mini stream, in 64-byte sectors.
        std::vector<uint32_t> mini;
        std::string table;
        if (!Chaine(fat_, L32(b_, 0x3C), size_t(L32(b_, 0x40)) << decalage_, &table, decalage_, false))
            return false;
        for (size_t i = 0; i + 4 <= table.size(); i += 4) mini.push_back(L32(table, i));
        const std::string_view conteneur = racine;
        std::string_view garde = b_;
        b_ = conteneur;
        const bool ok = ChaineMini(mini, debut, taille, sortie);
        b_ = garde;
        return ok;
    }

private:
    bool Table() {
        std::vector<uint32_t> secteurs;
        for (size_t i = 0; i < 109; ++i) secteurs.push_back(L32(b_, 0x4C + 4 * i));
        uint32_t s = L32(b_, 0x44);
        for (size_t n = 0; s < 0xFFFFFFFA && n < secteurs_; ++n) {
            const size_t at = (size_t(s) + 1) << decalage_;
            const size_t taille = size_t(1) << decalage_;
            if (at + taille > b_.size()) return false;
            for (size_t i = 0; i + 4 < taille; i += 4) secteurs.push_back(L32(b_, at + i));
            s = L32(b_, at + taille - 4);
        }
        const size_t nombre = std::min<size_t>(L32(b_, 0x2C), secteurs.size());
        for (size_t k = 0; k < nombre; ++k) {
            const size_t at = (size_t(secteurs[k]) + 1) << decalage_;
            const size_t taille = size_t(1) << decalage_;
            if (secteurs[k] >= 0xFFFFFFFA || at + taille > b_.size()) return false;
            for (size_t i = 0; i < taille; i += 4) fat_.push_back(L32(b_, at + i));
        }
        return !fat_.empty();
    }
    // Follows a chain of sectors from s, at most taille bytes (exactly, when exact); a
    // chain that loops or leaves the file is damage.
    bool Chaine(const std::vector<uint32_t>& table, uint32_t s, size_t taille, std::string* sortie,
                unsigned decalage, bool exact) {
        const size_t pas = size_t(1) << decalage;
        for (size_t n = 0; sortie->size() < taille; ++n) {
            if (n > table.size()) return false;
            if (s >= table.size()) return s >= 0xFFFFFFFA && !exact;
            const size_t at = (size_t(s) + (decalage == 6 ? 0 : 1)) << decalage;
            if (at + pas > b_.size()) return false;
            sortie->append(b_.substr(at, std::min(pas, taille - sortie->size())));
            s = table[s];
        }
        return true;
    }
    bool ChaineMini(const std::vector<uint32_t>& table, uint32_t s, size_t taille, std::string* sortie) {
        return Chaine(table, s, taille, sortie, 6, true);
    }

    std::string_view b_;
    unsigned decalage_ = 9;
    size_t secteurs_ = 0;
    std::vector<uint32_t> fat_;
};

// What the workbook stream declares: sheets, their sizes, and the cells holding formulas.
struct Declaration {
    std::vector<uint32_t> feuilles;  // start of each worksheet's records, in sheet order
    unsigned long long cellules = 0;
    std::map<uint32_t, std::set<std::pair<unsigned, unsigned>>> formules;  // by sheet start
    bool chaines = true;                                                   // string table plausible
};

Declaration Parcourir(std::string_view w) {
    Declaration d;
    size_t formules = 0;
    uint32_t debut = 0;
    for (size_t at = 0; at + 4 <= w.size();) {
        const uint16_t op = L16(w, at), n = L16(w, at + 2);
        const size_t data = at + 4;
        if (data + n > w.size()) break;
        const std::string_view r = w.substr(data, n);
        if (op == 0x0809 || op == 0x0409 || op == 0x0209 || op == 0x0009) debut = uint32_t(at);
        if (op == 0x0085 && n >= 6 && uint8_t(r[5]) == 0) d.feuilles.push_back(L32(r, 0));
        if (op == 0x0200 && n >= 14) d.cellules += (unsigned long long)L32(r, 4) * L16(r, 10);
        if (op == 0x0200 && n >= 10 && n < 14) d.cellules += (unsigned long long)L16(r, 2) * L16(r, 6);
        // Each string takes at least three bytes of the stream.
        if (op == 0x00FC && n >= 8 && (unsigned long long)L32(r, 4) * 3 > w.size()) d.chaines = false;
        if ((op == 0x0006 || op == 0x0206 || op == 0x0406) && n >= 4 && L16(r, 2) < 26 &&
            formules < kFormulesMax) {
            d.formules[debut].insert({L16(r, 0), L16(r, 2)});
            ++formules;
        }
        at = data + n;
    }
    return d;
}

class ClasseurXls : public Q12Classeur {
public:
    ClasseurXls(std::string path, bool temporaire, Declaration d)
        : path_(std::move(path)), temporaire_(temporaire), d_(std::move(d)) {}
    ~ClasseurXls() override {
        if (temporaire_) unlink(path_.c_str());
    }
    ClasseurXls(const ClasseurXls&) = delete;
    ClasseurXls& operator=(const ClasseurXls&) = delete;

    bool Charger(const Q12Plan& plan, Q12Echec* echec) override {
        grille_.Preparer(plan);
        charge_ = false;
        *echec = Q12Echec::Feuille;
        if (plan.feuille < 1 || size_t(plan.feuille) > d_.feuilles.size()) return false;
        *echec = Q12Echec::Illisible;
        const void* h = nullptr;
        const int rc = freexl_open(path_.c_str(), &h);
        // FreeXL asks for a close even after a failed open.
        struct Fermer {
            const void* h;
            ~Fermer() {
                if (h) freexl_close(h);
            }
        } fermer{h};
        unsigned feuilles = 0;
        if (rc != FREEXL_OK || freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &feuilles) != FREEXL_OK)
            return false;
        // FreeXL leaves the last sheet active after opening: always select.
        *echec = Q12Echec::Feuille;
        unsigned lignes = 0;
        unsigned short colonnes = 0;
        if (unsigned(plan.feuille) > feuilles ||
            freexl_select_active_worksheet(h, (unsigned short)(plan.feuille - 1)) != FREEXL_OK ||
            freexl_worksheet_dimensions(h, &lignes, &colonnes) != FREEXL_OK)
            return false;
        *echec = Q12Echec::Illisible;
        const long long fin = std::min<long long>(grille_.DerniereLigne() + 1, lignes);
        for (long long r = grille_.PremiereLigne(); r < fin; ++r) {
            if (plan.progres && (r - grille_.PremiereLigne()) % 64 == 63 &&
                !plan.progres(plan.contexte, int(r - grille_.PremiereLigne()), plan.lignes)) {
                *echec = Q12Echec::Annule;
                return false;
            }
            for (int col = 0; col < 26 && col < colonnes; ++col) {
                Q12Cellule* c = grille_.Case(r, col);
                if (c && !LireCase(h, unsigned(r), col, c)) return false;
            }
        }
        for (const auto& [r, col] : d_.formules[d_.feuilles[size_t(plan.feuille - 1)]])
            if (Q12Cellule* c = grille_.Case(r, col); c && c->type == Q12Cellule::Vide)
                c->type = Q12Cellule::Formule;
        *echec = Q12Echec::Aucun;
        charge_ = true;
        return true;
    }

private:
    static bool LireCase(const void* h, unsigned r, int col, Q12Cellule* c) {
        FreeXL_CellValue v{};
        if (freexl_get_cell_value(h, r, (unsigned short)col, &v) != FREEXL_OK) return false;
        switch (v.type) {
            case FREEXL_CELL_INT:
                c->type = Q12Cellule::Nombre;
                c->nombre = v.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                c->type = Q12Cellule::Nombre;
                c->nombre = v.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                if (v.value.text_value && *v.value.text_value) {
                    c->type = Q12Cellule::Texte;
                    Q12AjouterTexte(&c->texte, v.value.text_value);
                }
                break;
            default:  // empty, or a formula (FreeXL gives no result for those)
                break;
        }
        return true;
    }

    std::string path_;
    bool temporaire_;
    Declaration d_;
};

}  // namespace

std::unique_ptr<Q12Classeur> Q12OuvrirXls(const char* path, bool temporaire, Q12Echec* echec) {
    *echec = Q12Echec::Illisible;
    std::ifstream in(path, std::ios::binary);
    std::string octets;
    if (in) octets.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::string classeur;
    if (!in || !Composite(octets).Flux(&classeur)) {
        if (temporaire) unlink(path);
        return nullptr;
    }
    Declaration d = Parcourir(classeur);
    if (d.feuilles.empty() || d.cellules > kCellulesMax || !d.chaines) {
        *echec = d.feuilles.empty() ? Q12Echec::Illisible : Q12Echec::TropGrand;
        if (temporaire) unlink(path);
        return nullptr;
    }
    *echec = Q12Echec::Aucun;
    return std::make_unique<ClasseurXls>(path, temporaire, std::move(d));
}
