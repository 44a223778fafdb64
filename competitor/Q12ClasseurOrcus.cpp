// Reader of .xlsx and .ods workbooks over liborcus's import interface: the cells of
// columns A-Z go into a small model of our own, so nothing converts between number
// and text behind our back and a hostile file cannot make the model grow unbounded.
#include <cctype>
#include <cstdint>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "competitor/Q12Classeur.h"

namespace ss = orcus::spreadsheet;

namespace {

constexpr int kColonnes = 26;               // the settings name columns A to Z
constexpr int kLignesMax = 1 << 20;         // the spreadsheets' own limit
constexpr size_t kCellulesMax = 2'000'000;  // far above any competitor list
constexpr size_t kTexteMax = 256;           // bytes kept of a text: more than any field shows
constexpr size_t kTextesMax = 2'000'000;
constexpr size_t kOctetsTextesMax = 128u << 20;  // text pool, bookkeeping included

// Thrown inside the import only and caught at the reader's boundary.
struct TropGrand : std::runtime_error {
    TropGrand() : std::runtime_error("spreadsheet too large") {}
};

struct Cellule {
    uint8_t type;  // Q12Cellule::Type
    double nombre;
    uint32_t texte;  // index into the text pool
};

class Modele {
public:
    std::vector<std::string> textes;
    std::vector<std::unordered_map<uint32_t, Cellule>> feuilles;
    size_t cellules = 0;
    size_t octets = 0;

    uint32_t AjouterTexte(std::string_view s) {
        if (textes.size() >= kTextesMax) throw TropGrand();
        // Cut on a character boundary so the kept text stays well-formed.
        size_t n = s.size() <= kTexteMax ? s.size() : kTexteMax;
        while (n < s.size() && n > 0 && (uint8_t(s[n]) & 0xC0) == 0x80) --n;
        octets += n + sizeof(std::string);
        if (octets > kOctetsTextesMax) throw TropGrand();
        textes.emplace_back(s.substr(0, n));
        return uint32_t(textes.size() - 1);
    }
    void Poser(int feuille, ss::row_t row, ss::col_t col, Cellule c) {
        if (row < 0 || row >= kLignesMax || col < 0 || col >= kColonnes) return;
        auto& f = feuilles.at(size_t(feuille));
        auto [it, nouveau] = f.insert_or_assign(uint32_t(row) * kColonnes + uint32_t(col), c);
        if (nouveau && ++cellules > kCellulesMax) throw TropGrand();
    }
};

class Chaines : public ss::iface::import_shared_strings {
public:
    explicit Chaines(Modele& m) : m_(m) {}
    size_t append(std::string_view s) override { return m_.AjouterTexte(s); }
    size_t add(std::string_view s) override { return m_.AjouterTexte(s); }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                ss::color_elem_t) override {}
    void append_segment(std::string_view s) override {
        if (segments_.size() < kTexteMax) segments_.append(s.substr(0, kTexteMax));
    }
    size_t commit_segments() override {
        size_t i = m_.AjouterTexte(segments_);
        segments_.clear();
        return i;
    }

private:
    Modele& m_;
    std::string segments_;
};

// A formula cell keeps its cached result, as the spreadsheet last computed it.
class Formule : public ss::iface::import_formula {
public:
    Formule(Modele& m, int feuille) : m_(m), feuille_(feuille) {}
    void set_position(ss::row_t row, ss::col_t col) override {
        row_ = row;
        col_ = col;
        c_ = Cellule{Q12Cellule::Vide, 0, 0};
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view v) override {
        c_ = Cellule{Q12Cellule::Texte, 0, m_.AjouterTexte(v)};
    }
    void set_result_value(double v) override { c_ = Cellule{Q12Cellule::Nombre, v, 0}; }
    void set_result_bool(bool v) override { c_ = Cellule{Q12Cellule::Nombre, v ? 1.0 : 0.0, 0}; }
    void set_result_empty() override { c_ = Cellule{Q12Cellule::Vide, 0, 0}; }
    void commit() override {
        if (c_.type != Q12Cellule::Vide) m_.Poser(feuille_, row_, col_, c_);
    }

private:
    Modele& m_;
    int feuille_;
    ss::row_t row_ = -1;
    ss::col_t col_ = -1;
    Cellule c_{};
};

class Feuille : public ss::iface::import_sheet {
public:
    Feuille(Modele& m, int index) : m_(m), index_(index), formule_(m, index) {}
    ss::iface::import_formula* get_formula() override { return &formule_; }
    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override {
        if (!s.empty()) m_.Poser(index_, row, col, Cellule{Q12Cellule::Texte, 0, m_.AjouterTexte(s)});
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t sindex) override {
        if (sindex < m_.textes.size()) m_.Poser(index_, row, col, Cellule{Q12Cellule::Texte, 0, sindex});
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override {
        m_.Poser(index_, row, col, Cellule{Q12Cellule::Nombre, value, 0});
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override {
        m_.Poser(index_, row, col, Cellule{Q12Cellule::Nombre, value ? 1.0 : 0.0, 0});
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
                       double second) override {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
        m_.Poser(index_, row, col, Cellule{Q12Cellule::Texte, 0, m_.AjouterTexte(buf)});
    }
    void set_format(ss::row_t, ss::col_t, size_t) override {}
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, size_t) override {}
    void fill_down_cells(ss::row_t, ss::col_t, ss::row_t) override {}
    ss::range_size_t get_sheet_size() const override { return ss::range_size_t{kLignesMax, 16384}; }

private:
    Modele& m_;
    int index_;
    Formule formule_;
};

// Cell addresses as the packages write them ("B2", "$B$2", "Sheet1!B2", ".B2").
class Adresses : public ss::iface::import_reference_resolver {
public:
    ss::src_address_t resolve_address(std::string_view a) override {
        size_t sep = a.find_last_of("!.");
        if (sep != std::string_view::npos) a.remove_prefix(sep + 1);
        ss::src_address_t r{0, 0, 0};
        size_t i = 0;
        bool lettres = false, chiffres = false;
        if (i < a.size() && a[i] == '$') ++i;
        for (; i < a.size() && std::isalpha(uint8_t(a[i])); ++i) {
            lettres = true;
            r.column = r.column * 26 + (std::toupper(uint8_t(a[i])) - 'A' + 1);
            if (r.column > 1 << 20) throw std::runtime_error("bad address");
        }
        if (i < a.size() && a[i] == '$') ++i;
        for (; i < a.size() && std::isdigit(uint8_t(a[i])); ++i) {
            chiffres = true;
            r.row = r.row * 10 + (a[i] - '0');
            if (r.row > 1 << 24) throw std::runtime_error("bad address");
        }
        if (i != a.size() || (!lettres && !chiffres)) throw std::runtime_error("bad address");
        r.column = lettres ? r.column - 1 : 0;
        r.row = chiffres ? r.row - 1 : 0;
        return r;
    }
    ss::src_range_t resolve_range(std::string_view range) override {
        size_t colon = range.find(':');
        ss::src_range_t r{};
        r.first = resolve_address(range.substr(0, colon));
        r.last = colon == std::string_view::npos ? r.first : resolve_address(range.substr(colon + 1));
        return r;
    }
};

class Fabrique : public ss::iface::import_factory {
public:
    explicit Fabrique(Modele& m) : m_(m), chaines_(m) {}
    ss::iface::import_shared_strings* get_shared_strings() override { return &chaines_; }
    ss::iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override {
        return &adresses_;
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t index, std::string_view name) override {
        if (index != ss::sheet_t(feuilles_.size()) || feuilles_.size() >= 1024) return nullptr;
        m_.feuilles.emplace_back();
        noms_.emplace_back(name);
        feuilles_.push_back(std::make_unique<Feuille>(m_, index));
        return feuilles_.back().get();
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override {
        for (size_t i = 0; i < noms_.size(); ++i)
            if (noms_[i] == name) return feuilles_[i].get();
        return nullptr;
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override {
        return index >= 0 && size_t(index) < feuilles_.size() ? feuilles_[size_t(index)].get() : nullptr;
    }
    void finalize() override {}

private:
    Modele& m_;
    Chaines chaines_;
    Adresses adresses_;
    std::vector<std::unique_ptr<Feuille>> feuilles_;
    std::vector<std::string> noms_;
};

class ClasseurOrcus : public Q12Classeur {
public:
    explicit ClasseurOrcus(std::unique_ptr<Modele> m) : m_(std::move(m)) {}
    int NombreFeuilles() const override { return int(m_->feuilles.size()); }
    bool ChoisirFeuille(int index) override {
        if (index < 1 || index > NombreFeuilles()) return false;
        feuille_ = index - 1;
        return true;
    }
    bool Lire(int ligne, int colonne, Q12Cellule* cellule) override {
        *cellule = Q12Cellule{};
        if (feuille_ < 0) return false;
        if (ligne < 0 || ligne >= kLignesMax || colonne < 0 || colonne >= kColonnes) return true;
        const auto& f = m_->feuilles[size_t(feuille_)];
        auto it = f.find(uint32_t(ligne) * kColonnes + uint32_t(colonne));
        if (it == f.end()) return true;
        cellule->type = Q12Cellule::Type(it->second.type);
        cellule->nombre = it->second.nombre;
        if (cellule->type == Q12Cellule::Texte) cellule->texte = m_->textes.at(it->second.texte);
        return true;
    }

private:
    std::unique_ptr<Modele> m_;
    int feuille_ = -1;
};

uint32_t Lire32(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Lire16(std::string_view b, size_t at) {
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// The package's own directory, checked before the reader sizes buffers from it: every
// member must declare a plausible size, in the directory and in its local header.
// A member claiming gigabytes (a damaged or hostile package) refuses the file.
bool PaquetPlausible(std::string_view b) {
    constexpr uint32_t kMembreMax = 256u << 20;
    constexpr size_t kFin = 22;
    if (b.size() < kFin) return false;
    size_t fin = std::string::npos;
    size_t bas = b.size() > kFin + 65535 ? b.size() - kFin - 65535 : 0;
    for (size_t i = b.size() - kFin + 1; i-- > bas;)
        if (Lire32(b, i) == 0x06054b50) {
            fin = i;
            break;
        }
    if (fin == std::string::npos) return false;
    size_t n = Lire16(b, fin + 10), at = Lire32(b, fin + 16);
    for (size_t k = 0; k < n; ++k) {
        if (at + 46 > b.size() || Lire32(b, at) != 0x02014b50) return false;
        if (Lire32(b, at + 20) > kMembreMax || Lire32(b, at + 24) > kMembreMax) return false;
        size_t local = Lire32(b, at + 42);
        if (local + 30 > b.size() || Lire32(b, local) != 0x04034b50) return false;
        if (Lire32(b, local + 18) > kMembreMax || Lire32(b, local + 22) > kMembreMax) return false;
        at += 46 + size_t(Lire16(b, at + 28)) + Lire16(b, at + 30) + Lire16(b, at + 32);
    }
    return true;
}

}  // namespace

std::unique_ptr<Q12Classeur> Q12OuvrirOrcus(std::string_view octets, bool ods, Q12Echec* echec) {
    if (!PaquetPlausible(octets)) {
        *echec = Q12Echec::Illisible;
        return nullptr;
    }
    try {
        auto modele = std::make_unique<Modele>();
        Fabrique fabrique(*modele);
        if (ods) {
            orcus::orcus_ods filtre(&fabrique);
            filtre.read_stream(octets);
        } else {
            orcus::orcus_xlsx filtre(&fabrique);
            filtre.read_stream(octets);
        }
        // A package of the other kind reads as a workbook without sheets.
        if (modele->feuilles.empty()) {
            *echec = Q12Echec::Format;
            return nullptr;
        }
        *echec = Q12Echec::Aucun;
        return std::make_unique<ClasseurOrcus>(std::move(modele));
    } catch (const TropGrand&) {
        *echec = Q12Echec::TropGrand;
    } catch (const std::bad_alloc&) {
        *echec = Q12Echec::TropGrand;
    } catch (...) {
        *echec = Q12Echec::Illisible;
    }
    return nullptr;
}
