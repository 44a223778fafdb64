// Readers of .xlsx and .ods workbooks over liborcus's XML parser. liborcus 0.17's own
// import filters drop .xlsx inline strings, the content of repeated .ods rows and .ods
// space elements whatever the receiving side implements, and they read every part
// whole; here the package's parts are inflated and parsed only as far as the rows the
// import keeps, and only the kept cells are stored.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <orcus/sax_parser.hpp>
#include <unordered_map>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12ClasseurZip.h"

namespace {

// The XML of the parts read to reach the kept rows; a list needs a small fraction of it.
constexpr size_t kXmlMax = 64u << 20;
constexpr size_t kXmlDebut = 256u << 10;
constexpr long long kLigneMax = 1 << 20;  // the spreadsheets' last row
constexpr int kProgresPas = 64;           // rows between two progress calls

// Parses a member with a handler, inflating more each time the handler still wants rows
// and the member goes on. Each pass starts again from the beginning, on at least twice
// the text and enough for the rows still wanted at the rate seen so far, so the parsing
// stays within about twice the part it needs.
template <typename Handler>
void Parcourir(Q12Paquet::Flux& flux, Handler& handler) {
    size_t voulu = kXmlDebut;
    for (;;) {
        if (!flux.Etendre(voulu)) throw Q12Illisible();
        handler.Recommencer();
        const std::string& t = flux.Texte();
        try {
            orcus::sax_parser<Handler> parser(t.data(), t.size(), handler);
            parser.parse();
            if (flux.Fini()) return;
        } catch (const Q12Assez&) {
            return;
        } catch (const Q12Annule&) {
            throw;
        } catch (const Q12TropGrand&) {
            throw;
        } catch (const std::exception&) {
            // Cut inside the part: read on. At the part's end it is damaged.
            if (flux.Fini()) throw Q12Illisible();
        }
        if (t.size() >= kXmlMax) throw Q12TropGrand();
        const double fait = std::clamp(handler.Avancement(), 1.0 / 64, 1.0);
        voulu = std::min(kXmlMax, std::max(t.size() * 2, size_t(double(t.size()) / fait * 1.25)) + 4096);
    }
}

long long Entier(std::string_view s) {
    long long v = 0;
    auto [fin, err] = std::from_chars(s.data(), s.data() + s.size(), v);
    return err == std::errc() && fin == s.data() + s.size() ? v : -1;
}

bool Reel(std::string_view s, double* v) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto [fin, err] = std::from_chars(s.data(), s.data() + s.size(), *v);
    return err == std::errc() && fin == s.data() + s.size();
}

// The calls of the progress hook, and the operator's cancel.
class Progres {
public:
    explicit Progres(const Q12Plan& plan) : plan_(plan) {}
    void Ligne(long long ligne) {
        const long long lues = ligne - (plan_.premiereLigne - 1);
        if (!plan_.progres || lues <= 0 || lues - dernier_ < kProgresPas) return;
        dernier_ = lues;
        if (!plan_.progres(plan_.contexte, int(std::min<long long>(lues, plan_.lignes)), plan_.lignes))
            throw Q12Annule();
    }
    void Recommencer() { dernier_ = 0; }

private:
    const Q12Plan& plan_;
    long long dernier_ = 0;
};

// ---- .xlsx ------------------------------------------------------------------------

// Relationships of a part: id -> target, and the target of a relationship type.
struct Relations {
    std::unordered_map<std::string, std::string> cibles;
    std::string officeDocument, sharedStrings;
    std::string id_, cible_, type_;

    void Recommencer() { *this = Relations{}; }
    double Avancement() const { return 0; }
    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void characters(std::string_view, bool) {}
    void attribute(const orcus::sax::parser_attribute& a) {
        if (a.name == "Id") id_ = a.value;
        if (a.name == "Target") cible_ = a.value;
        if (a.name == "Type") type_ = a.value;
    }
    void start_element(const orcus::sax::parser_element& e) {
        if (e.name == "Relationship") {
            auto fin = [&](std::string_view s) {
                return type_.size() >= s.size() && type_.compare(type_.size() - s.size(), s.size(), s) == 0;
            };
            if (fin("/officeDocument")) officeDocument = cible_;
            if (fin("/sharedStrings")) sharedStrings = cible_;
            if (cibles.size() < 100000) cibles[id_] = cible_;
        }
        id_.clear();
        cible_.clear();
        type_.clear();
    }
    void end_element(const orcus::sax::parser_element&) {}
};

// The workbook part: relationship ids of its sheets, in order.
struct Classeur {
    std::vector<std::string> feuilles;
    std::string id_;

    void Recommencer() { feuilles.clear(); }
    double Avancement() const { return 0; }
    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void characters(std::string_view, bool) {}
    void attribute(const orcus::sax::parser_attribute& a) {
        if (a.name == "id") id_ = a.value;
    }
    void start_element(const orcus::sax::parser_element& e) {
        if (e.name == "sheet" && feuilles.size() < 100000) feuilles.push_back(id_);
        id_.clear();
    }
    void end_element(const orcus::sax::parser_element&) {}
};

// A worksheet part: the kept cells; shared strings are noted by index and resolved after.
class FeuilleXlsx {
public:
    FeuilleXlsx(Q12Grille& grille, const Q12Plan& plan) : grille_(grille), progres_(plan) {}
    std::unordered_map<uint32_t, std::vector<Q12Cellule*>> partages;  // string index -> cells

    void Recommencer() {
        partages.clear();
        ligne_ = -1;
        colonne_ = 0;
        progres_.Recommencer();
    }
    // The share of the kept rows reached.
    double Avancement() const {
        return double(ligne_ + 1 - grille_.PremiereLigne()) /
               double(grille_.DerniereLigne() + 1 - grille_.PremiereLigne());
    }
    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void attribute(const orcus::sax::parser_attribute& a) {
        if (a.name == "r") r_ = a.value;
        if (a.name == "t") t_ = a.value;
    }
    void start_element(const orcus::sax::parser_element& e) {
        if (e.name == "row") {
            const long long r = r_.empty() ? ligne_ + 1 : Entier(r_) - 1;
            ligne_ = r < 0 || r >= kLigneMax ? kLigneMax : r;
            colonne_ = 0;
            if (ligne_ > grille_.DerniereLigne()) throw Q12Assez();
            progres_.Ligne(ligne_);
        } else if (e.name == "c") {
            CommencerCellule();
        } else if (e.name == "v") {
            dansV_ = true;
        } else if (e.name == "is") {
            dansIs_ = true;
        } else if (e.name == "t") {
            dansT_ = dansIs_ && !dansPhon_;
        } else if (e.name == "rPh") {
            dansPhon_ = true;
        }
        r_.clear();
        t_.clear();
    }
    void end_element(const orcus::sax::parser_element& e) {
        if (e.name == "c") {
            FinirCellule();
        } else if (e.name == "v") {
            dansV_ = false;
        } else if (e.name == "is") {
            dansIs_ = false;
        } else if (e.name == "t") {
            dansT_ = false;
        } else if (e.name == "rPh") {
            dansPhon_ = false;
        }
    }
    void characters(std::string_view s, bool) {
        if (!cellule_) return;
        if (dansV_) Q12AjouterTexte(&valeur_, s);
        if (dansT_) Q12AjouterTexte(&texte_, s);
    }

private:
    void CommencerCellule() {
        long long col = colonne_;
        if (!r_.empty()) {
            col = 0;
            size_t i = 0;
            for (; i < r_.size() && i < 4 && r_[i] >= 'A' && r_[i] <= 'Z'; ++i)
                col = col * 26 + (r_[i] - 'A' + 1);
            col = i == 0 ? colonne_ : col - 1;
        }
        colonne_ = col + 1;
        cellule_ = grille_.Case(ligne_, col);
        type_ = t_;
        valeur_.clear();
        texte_.clear();
    }
    void FinirCellule() {
        Q12Cellule* c = cellule_;
        cellule_ = nullptr;
        if (!c) return;
        *c = Q12Cellule{};
        if (type_ == "inlineStr") {
            if (!texte_.empty()) c->type = Q12Cellule::Texte, c->texte = texte_;
        } else if (type_ == "s") {
            const long long i = Entier(valeur_);
            if (i >= 0 && i <= UINT32_MAX) partages[uint32_t(i)].push_back(c);
        } else if (type_ == "str" || type_ == "d") {
            if (!valeur_.empty()) c->type = Q12Cellule::Texte, c->texte = valeur_;
        } else if (type_ == "b") {
            c->type = Q12Cellule::Nombre, c->nombre = valeur_ == "1" ? 1 : 0;
        } else if (type_ != "e" && Reel(valeur_, &c->nombre)) {
            c->type = Q12Cellule::Nombre;
        }
    }

    Q12Grille& grille_;
    Progres progres_;
    long long ligne_ = -1, colonne_ = 0;
    std::string r_, t_, type_, valeur_, texte_;
    Q12Cellule* cellule_ = nullptr;
    bool dansV_ = false, dansIs_ = false, dansT_ = false, dansPhon_ = false;
};

// The shared string table, read up to the last string a kept cell needs.
class Chaines {
public:
    explicit Chaines(std::unordered_map<uint32_t, std::vector<Q12Cellule*>>& voulues) : voulues_(voulues) {
        for (const auto& [i, cellules] : voulues_) dernier_ = std::max(dernier_, i);
    }
    void Recommencer() {
        index_ = 0;
        texte_.clear();
    }
    double Avancement() const { return double(index_) / double(dernier_ + 1); }
    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void attribute(const orcus::sax::parser_attribute&) {}
    void start_element(const orcus::sax::parser_element& e) {
        if (e.name == "si") {
            texte_.clear();
            dansSi_ = true;
        }
        if (e.name == "t") dansT_ = dansSi_ && !dansPhon_;
        if (e.name == "rPh") dansPhon_ = true;
    }
    void end_element(const orcus::sax::parser_element& e) {
        if (e.name == "t") dansT_ = false;
        if (e.name == "rPh") dansPhon_ = false;
        if (e.name != "si") return;
        dansSi_ = false;
        auto it = voulues_.find(index_);
        if (it != voulues_.end() && !texte_.empty())
            for (Q12Cellule* c : it->second) c->type = Q12Cellule::Texte, c->texte = texte_;
        if (index_++ >= dernier_) throw Q12Assez();
    }
    void characters(std::string_view s, bool) {
        if (dansT_) Q12AjouterTexte(&texte_, s);
    }

private:
    std::unordered_map<uint32_t, std::vector<Q12Cellule*>>& voulues_;
    uint32_t dernier_ = 0, index_ = 0;
    std::string texte_;
    bool dansSi_ = false, dansT_ = false, dansPhon_ = false;
};

// A part's path from a relationship target, relative to the folder of the part that names it.
std::string Chemin(const std::string& dossier, std::string cible) {
    if (!cible.empty() && cible[0] == '/') return cible.substr(1);
    while (cible.rfind("./", 0) == 0) cible.erase(0, 2);
    std::string d = dossier;
    while (cible.rfind("../", 0) == 0) {
        cible.erase(0, 3);
        const size_t s = d.find_last_of('/', d.empty() ? 0 : d.size() - 2);
        d = s == std::string::npos ? "" : d.substr(0, s + 1);
    }
    return d + cible;
}

std::string Dossier(const std::string& part) {
    const size_t s = part.rfind('/');
    return s == std::string::npos ? "" : part.substr(0, s + 1);
}

template <typename Handler>
void LireMembre(const Q12Paquet& paquet, const std::string& nom, Handler& handler) {
    auto flux = paquet.Lire(nom);
    if (!flux) throw Q12Illisible();
    Parcourir(*flux, handler);
}

// ---- .ods -------------------------------------------------------------------------

// The document's content: tables in order, rows and cells with their repeat counts.
class ContenuOds {
public:
    ContenuOds(Q12Grille& grille, const Q12Plan& plan) : grille_(grille), plan_(plan), progres_(plan) {}
    bool trouvee = false;  // the chosen table was met

    void Recommencer() {
        trouvee = false;
        table_ = 0;
        dansTable_ = dansCellule_ = false;
        note_ = 0;
        progres_.Recommencer();
    }
    // The share of the kept rows reached (nothing before the chosen table is reached).
    double Avancement() const {
        if (!trouvee) return 0;
        return double(ligne_ - grille_.PremiereLigne()) /
               double(grille_.DerniereLigne() + 1 - grille_.PremiereLigne());
    }
    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void attribute(const orcus::sax::parser_attribute& a) {
        if (a.name == "number-rows-repeated" || a.name == "number-columns-repeated")
            repete_ = Entier(a.value);
        if (a.name == "value-type") attrType_ = a.value;
        if (a.name == "value") attrValeur_ = a.value;
        if (a.name == "boolean-value") attrValeur_ = a.value == "true" ? "1" : "0";
        if (a.name == "date-value") attrDate_ = a.value.substr(0, 10);
        if (a.name == "c") espaces_ = Entier(a.value);
    }
    void start_element(const orcus::sax::parser_element& e) {
        const long long repete = repete_ < 1 ? 1 : repete_;
        repete_ = 0;
        if (note_ > 0) {
            note_ += e.name == "annotation";
        } else if (e.name == "table" && !dansCellule_) {
            ++table_;
            dansTable_ = table_ == plan_.feuille;
            trouvee |= dansTable_;
            ligne_ = 0;
        } else if (!dansTable_) {
        } else if (e.name == "table-row") {
            rangee_.clear();
            repeteLigne_ = repete;
            colonne_ = 0;
            if (ligne_ > grille_.DerniereLigne()) throw Q12Assez();
            progres_.Ligne(ligne_);
        } else if (e.name == "table-cell" || e.name == "covered-table-cell") {
            dansCellule_ = true;
            repeteColonne_ = repete;
            texte_.clear();
            paragraphes_ = 0;
            dansP_ = 0;
            typeValeur_ = attrType_;
            valeur_ = attrValeur_;
            date_ = attrDate_;
        } else if (dansCellule_) {
            if (e.name == "annotation") note_ = 1;
            if (e.name == "p" && paragraphes_++ > 0) Q12AjouterTexte(&texte_, "\n");
            if (e.name == "p") ++dansP_;
            if (e.name == "s")
                Q12AjouterTexte(
                    &texte_,
                    std::string(size_t(std::clamp<long long>(espaces_ < 1 ? 1 : espaces_, 1, 256)), ' '));
            if (e.name == "tab") Q12AjouterTexte(&texte_, "\t");
            if (e.name == "line-break") Q12AjouterTexte(&texte_, "\n");
        }
        attrType_.clear();
        attrValeur_.clear();
        attrDate_.clear();
        espaces_ = 0;
    }
    void end_element(const orcus::sax::parser_element& e) {
        if (note_ > 0) {
            note_ -= e.name == "annotation";
            return;
        }
        if (e.name == "table" && !dansCellule_) {
            if (dansTable_) throw Q12Assez();  // the chosen table has ended
            dansTable_ = false;
        } else if (!dansTable_) {
        } else if (e.name == "table-cell" || e.name == "covered-table-cell") {
            FinirCellule();
        } else if (e.name == "p" && dansP_ > 0) {
            --dansP_;
        } else if (e.name == "table-row") {
            FinirLigne();
        }
    }
    void characters(std::string_view s, bool) {
        if (!dansCellule_ || note_ > 0 || dansP_ == 0) return;
        // Runs of white space in a paragraph stand for one space; kept spaces are <text:s/>.
        std::string t;
        for (char ch : s) {
            const bool blanc = ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
            if (!blanc || t.empty() || t.back() != ' ') t += blanc ? ' ' : ch;
            if (t.size() >= kQ12TexteMax) break;
        }
        Q12AjouterTexte(&texte_, t);
    }

private:
    void FinirCellule() {
        dansCellule_ = false;
        Q12Cellule c;
        if (typeValeur_ == "float" || typeValeur_ == "percentage" || typeValeur_ == "currency" ||
            typeValeur_ == "boolean") {
            if (Reel(valeur_, &c.nombre)) c.type = Q12Cellule::Nombre;
        } else if (typeValeur_ == "date" && !date_.empty()) {
            c.type = Q12Cellule::Texte, c.texte = date_;
        } else if (!texte_.empty()) {
            c.type = Q12Cellule::Texte, c.texte = texte_;
        }
        // A repeated cell stands for as many cells; only the kept columns are stored.
        const long long fin = std::min<long long>(colonne_ + repeteColonne_, 26);
        if (c.type != Q12Cellule::Vide)
            for (long long k = colonne_; k < fin; ++k) rangee_.push_back({int(k), c});
        colonne_ = std::min<long long>(colonne_ + repeteColonne_, kLigneMax);
        typeValeur_.clear();
        valeur_.clear();
        date_.clear();
    }
    void FinirLigne() {
        // A repeated row stands for as many rows; only the kept ones are stored.
        const long long fin = std::min(ligne_ + repeteLigne_, grille_.DerniereLigne() + 1);
        for (long long r = std::max(ligne_, grille_.PremiereLigne()); r < fin; ++r)
            for (const auto& [col, c] : rangee_)
                if (Q12Cellule* dest = grille_.Case(r, col)) *dest = c;
        ligne_ = std::min(ligne_ + repeteLigne_, kLigneMax);
        rangee_.clear();
    }

    Q12Grille& grille_;
    const Q12Plan& plan_;
    Progres progres_;
    int table_ = 0;
    bool dansTable_ = false, dansCellule_ = false;
    int note_ = 0;  // depth inside a cell's comment, whose text is not the cell's
    long long ligne_ = 0, colonne_ = 0, repete_ = 0, repeteLigne_ = 1, repeteColonne_ = 1, espaces_ = 0;
    int paragraphes_ = 0, dansP_ = 0;
    std::string attrType_, attrValeur_, attrDate_, typeValeur_, valeur_, date_, texte_;
    std::vector<std::pair<int, Q12Cellule>> rangee_;
};

class ClasseurOrcus : public Q12Classeur {
public:
    explicit ClasseurOrcus(std::string octets) : octets_(std::move(octets)) {}
    bool Ouvrir(bool ods, Q12Echec* echec);
    bool Charger(const Q12Plan& plan, Q12Echec* echec) override;

private:
    bool ChargerXlsx(const Q12Plan& plan);
    bool ChargerOds(const Q12Plan& plan);

    std::string octets_;
    bool ods_ = false;
    Q12Paquet paquet_;
    std::string classeur_, relations_;
};

bool ClasseurOrcus::Ouvrir(bool ods, Q12Echec* echec) {
    ods_ = ods;
    *echec = Q12Echec::Illisible;
    if (!paquet_.Ouvrir(octets_)) return false;
    *echec = Q12Echec::Format;
    if (ods_) return paquet_.Contient("content.xml");
    classeur_ = "xl/workbook.xml";
    try {
        if (paquet_.Contient("_rels/.rels")) {
            Relations racine;
            LireMembre(paquet_, "_rels/.rels", racine);
            if (!racine.officeDocument.empty()) classeur_ = Chemin("", racine.officeDocument);
        }
    } catch (...) {
        return false;
    }
    relations_ = Dossier(classeur_) + "_rels/" + classeur_.substr(Dossier(classeur_).size()) + ".rels";
    return paquet_.Contient(classeur_);
}

bool ClasseurOrcus::ChargerXlsx(const Q12Plan& plan) {
    Classeur classeur;
    LireMembre(paquet_, classeur_, classeur);
    if (plan.feuille < 1 || size_t(plan.feuille) > classeur.feuilles.size()) return false;
    Relations relations;
    if (paquet_.Contient(relations_)) LireMembre(paquet_, relations_, relations);
    const auto it = relations.cibles.find(classeur.feuilles[size_t(plan.feuille - 1)]);
    const std::string feuille = it != relations.cibles.end() ? Chemin(Dossier(classeur_), it->second)
                                                             : Dossier(classeur_) + "worksheets/sheet" +
                                                                   std::to_string(plan.feuille) + ".xml";
    FeuilleXlsx cellules(grille_, plan);
    LireMembre(paquet_, feuille, cellules);
    if (!cellules.partages.empty() && !relations.sharedStrings.empty()) {
        Chaines chaines(cellules.partages);
        LireMembre(paquet_, Chemin(Dossier(classeur_), relations.sharedStrings), chaines);
    }
    return true;
}

bool ClasseurOrcus::ChargerOds(const Q12Plan& plan) {
    ContenuOds contenu(grille_, plan);
    LireMembre(paquet_, "content.xml", contenu);
    return contenu.trouvee;
}

bool ClasseurOrcus::Charger(const Q12Plan& plan, Q12Echec* echec) {
    grille_.Preparer(plan);
    charge_ = false;
    try {
        if (!(ods_ ? ChargerOds(plan) : ChargerXlsx(plan))) {
            *echec = Q12Echec::Feuille;
            return false;
        }
    } catch (const Q12Annule&) {
        *echec = Q12Echec::Annule;
        return false;
    } catch (const Q12TropGrand&) {
        *echec = Q12Echec::TropGrand;
        return false;
    } catch (const std::bad_alloc&) {
        *echec = Q12Echec::TropGrand;
        return false;
    } catch (...) {
        *echec = Q12Echec::Illisible;
        return false;
    }
    *echec = Q12Echec::Aucun;
    charge_ = true;
    return true;
}

}  // namespace

std::unique_ptr<Q12Classeur> Q12OuvrirOrcus(std::string octets, bool ods, Q12Echec* echec) {
    auto c = std::make_unique<ClasseurOrcus>(std::move(octets));
    Q12Echec autre = Q12Echec::Aucun;
    if (!c->Ouvrir(ods, echec) && (*echec == Q12Echec::Illisible || !c->Ouvrir(!ods, &autre))) return nullptr;
    *echec = Q12Echec::Aucun;
    return c;
}
