// Reader of .xls workbooks (Excel 97-2003) over FreeXL.
#include <freexl.h>

#include "competitor/Q12Classeur.h"

namespace {

class ClasseurXls : public Q12Classeur {
public:
    ClasseurXls(const void* handle, int feuilles) : handle_(handle), feuilles_(feuilles) {}
    ~ClasseurXls() override { freexl_close(handle_); }
    ClasseurXls(const ClasseurXls&) = delete;
    ClasseurXls& operator=(const ClasseurXls&) = delete;

    int NombreFeuilles() const override { return feuilles_; }

    // FreeXL leaves the last sheet active after opening: always select.
    bool ChoisirFeuille(int index) override {
        choisie_ = false;
        if (index < 1 || index > feuilles_) return false;
        if (freexl_select_active_worksheet(handle_, (unsigned short)(index - 1)) != FREEXL_OK) return false;
        if (freexl_worksheet_dimensions(handle_, &lignes_, &colonnes_) != FREEXL_OK) return false;
        choisie_ = true;
        return true;
    }

    bool Lire(int ligne, int colonne, Q12Cellule* cellule) override {
        *cellule = Q12Cellule{};
        if (!choisie_) return false;
        // Dimensions are counts: a cell past them is empty, not an error.
        if (ligne < 0 || colonne < 0 || unsigned(ligne) >= lignes_ || unsigned(colonne) >= colonnes_)
            return true;
        FreeXL_CellValue v{};
        if (freexl_get_cell_value(handle_, unsigned(ligne), (unsigned short)colonne, &v) != FREEXL_OK)
            return false;
        switch (v.type) {
            case FREEXL_CELL_INT:
                cellule->type = Q12Cellule::Nombre;
                cellule->nombre = v.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                cellule->type = Q12Cellule::Nombre;
                cellule->nombre = v.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                if (v.value.text_value && *v.value.text_value) {
                    cellule->type = Q12Cellule::Texte;
                    cellule->texte = v.value.text_value;
                }
                break;
            default:  // empty, or a formula (FreeXL gives no result for those)
                break;
        }
        return true;
    }

private:
    const void* handle_;
    int feuilles_;
    bool choisie_ = false;
    unsigned lignes_ = 0;
    unsigned short colonnes_ = 0;
};

}  // namespace

std::unique_ptr<Q12Classeur> Q12OuvrirXls(const char* path, Q12Echec* echec) {
    const void* handle = nullptr;
    int rc = freexl_open(path, &handle);
    if (rc != FREEXL_OK) {
        // A failed open may still hand back a handle.
        if (handle) freexl_close(handle);
        *echec = Q12Echec::Illisible;
        return nullptr;
    }
    unsigned feuilles = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &feuilles) != FREEXL_OK || feuilles == 0) {
        freexl_close(handle);
        *echec = Q12Echec::Illisible;
        return nullptr;
    }
    *echec = Q12Echec::Aucun;
    return std::make_unique<ClasseurXls>(handle, int(feuilles));
}
