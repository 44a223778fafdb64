// Spreadsheet reader used by the competitor import: open a workbook by path, read the
// cells of one sheet that the import keeps, read a cell by column letter and row, close
// (destroy). The readers never throw: every failure comes back as a status.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct Q12Cellule {
    // Formule: a formula whose result the reader cannot give (.xls).
    enum Type { Vide, Nombre, Texte, Formule };
    Type type = Vide;
    double nombre = 0;
    std::string texte;  // UTF-8
};

// Why a workbook could not be opened or read.
enum class Q12Echec { Aucun, Introuvable, Format, Illisible, TropGrand, Feuille, Annule };

// Called now and then while a sheet is read, with the rows read so far and the rows the
// import keeps; returning false stops the reading (the operator cancelled).
using Q12ProgresFn = bool (*)(void* contexte, int lues, int voulues);

// What the import keeps of a workbook: one sheet, a band of rows from the first row
// read, some of the columns A to Z. Readers do no work for anything else.
struct Q12Plan {
    int feuille = 1;                     // 1-based sheet index
    int premiereLigne = 1;               // 1-based spreadsheet row
    int lignes = 1;                      // rows kept from the first one
    uint32_t colonnes = (1u << 26) - 1;  // bit c: column 'A' + c is kept
    Q12ProgresFn progres = nullptr;
    void* contexte = nullptr;
};

// The kept cells of a sheet: the plan's band of rows by 26 columns.
class Q12Grille {
public:
    void Preparer(const Q12Plan& plan);
    // 0-based row and column of the sheet; null outside the band or for a column not kept.
    Q12Cellule* Case(long long ligne, long long colonne);
    const Q12Cellule* Case(long long ligne, long long colonne) const;
    long long DerniereLigne() const { return premiere_ + lignes_ - 1; }  // 0-based
    long long PremiereLigne() const { return premiere_; }

private:
    long long premiere_ = 0;
    int lignes_ = 0;
    uint32_t colonnes_ = 0;
    std::vector<Q12Cellule> cases_;
};

class Q12Classeur {
public:
    virtual ~Q12Classeur() = default;
    // Reads the plan's cells; false when the sheet cannot be read (echec says why).
    virtual bool Charger(const Q12Plan& plan, Q12Echec* echec) = 0;
    // Reads the cell at 0-based row and column of the loaded sheet; false when the read
    // failed or nothing was loaded (a cell outside what was kept reads as empty).
    virtual bool Lire(int ligne, int colonne, Q12Cellule* cellule);

protected:
    Q12Grille grille_;
    bool charge_ = false;
};

// Opens the workbook at path, its kind taken from its first bytes and its extension:
// .xlsx (also .xlsm) and .ods, .xls through FreeXL, .csv and .txt as delimited text.
// Opening checks the file's structure and declared sizes only; the cells are read by
// Charger. Returns null (and the reason) when it cannot be read.
std::unique_ptr<Q12Classeur> Q12OuvrirClasseur(const char* path, Q12Echec* echec);
// The same from bytes in memory, the kind named by an extension (".xlsx", ...); used
// by the fuzz targets. FreeXL reads files only: .xls bytes go through a temporary file.
std::unique_ptr<Q12Classeur> Q12OuvrirClasseurOctets(std::string_view octets, const char* extension,
                                                     Q12Echec* echec);

// Cell reads by address (column letter 'A'..'Z', row from 1), as the import makes them.
// An empty or non-numeric cell reads as the integer 0; a text holding a plain integer
// (as delimited text files give) reads as that integer; a fraction is rounded.
bool Q12LireEntier(Q12Classeur& classeur, char colonne, int ligne, int* valeur);
// Texts read as they are; numbers are written as a spreadsheet shows them in general
// format (12, 3.5, 1E+20); empty cells read as an empty text.
bool Q12LireTexte(Q12Classeur& classeur, char colonne, int ligne, std::string* texte);
// True when the cell holds a formula whose result the reader cannot give.
bool Q12EstFormule(Q12Classeur& classeur, char colonne, int ligne);

// Builders of each kind (Q12ClasseurOrcus.cpp, Q12ClasseurXls.cpp, Q12ClasseurCsv.cpp).
// Both .xlsx and .ods are zip packages: the kind named (ods or not) is tried first, the other next.
std::unique_ptr<Q12Classeur> Q12OuvrirOrcus(std::string octets, bool ods, Q12Echec* echec);
// The .xls reader removes path when it is a temporary copy (temporaire).
std::unique_ptr<Q12Classeur> Q12OuvrirXls(const char* path, bool temporaire, Q12Echec* echec);
std::unique_ptr<Q12Classeur> Q12OuvrirCsv(std::string octets, Q12Echec* echec);

// Bytes of a text kept from a cell: more than any field shows, cut on a character boundary.
inline constexpr size_t kQ12TexteMax = 256;
void Q12AjouterTexte(std::string* texte, std::string_view ajout);
