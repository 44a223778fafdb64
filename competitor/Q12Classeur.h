// Spreadsheet reader used by the competitor import: open a workbook by path, pick a
// sheet by its 1-based index, read a cell by column letter and row, close (destroy).
// The readers never throw: every failure comes back as a status.
#pragma once

#include <memory>
#include <string>
#include <string_view>

struct Q12Cellule {
    enum Type { Vide, Nombre, Texte };
    Type type = Vide;
    double nombre = 0;
    std::string texte;  // UTF-8
};

class Q12Classeur {
public:
    virtual ~Q12Classeur() = default;
    virtual int NombreFeuilles() const = 0;
    // Picks the sheet to read; false when the workbook has no sheet of that index.
    virtual bool ChoisirFeuille(int index) = 0;
    // Reads the cell at 0-based row and column of the chosen sheet; false when the
    // read failed (a cell outside the sheet's data reads as empty, not as a failure).
    virtual bool Lire(int ligne, int colonne, Q12Cellule* cellule) = 0;
};

// Why a workbook could not be opened.
enum class Q12Echec { Aucun, Introuvable, Format, Illisible, TropGrand };

// Opens the workbook at path, its kind taken from its first bytes and its extension:
// .xlsx (also .xlsm) and .ods through liborcus, .xls through FreeXL, .csv and .txt as
// delimited text. Returns null (and the reason) when it cannot be read.
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

// Builders of each kind (Q12ClasseurOrcus.cpp, Q12ClasseurXls.cpp, Q12ClasseurCsv.cpp).
std::unique_ptr<Q12Classeur> Q12OuvrirOrcus(std::string_view octets, bool ods, Q12Echec* echec);
std::unique_ptr<Q12Classeur> Q12OuvrirXls(const char* path, Q12Echec* echec);
std::unique_ptr<Q12Classeur> Q12OuvrirCsv(std::string_view octets, Q12Echec* echec);
