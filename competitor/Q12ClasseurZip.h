// The zip package of .xlsx and .ods workbooks: its directory, checked before anything
// is sized from it, and its members inflated a piece at a time, so that a reader takes
// only as much of a part as the rows it keeps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Q12Paquet {
public:
    // A member being inflated: its text so far grows on demand.
    class Flux {
    public:
        virtual ~Flux() = default;
        // Inflates until the text holds at least taille bytes or the member ends; false
        // when the member is damaged.
        virtual bool Etendre(size_t taille) = 0;
        virtual bool Fini() const = 0;
        const std::string& Texte() const { return texte_; }

    protected:
        std::string texte_;
    };

    // False when the bytes are no plausible package: no directory, or members that claim
    // sizes no workbook has.
    bool Ouvrir(std::string_view octets);
    bool Contient(std::string_view nom) const;
    // Null when the member is absent or stored in a way the reader does not know.
    std::unique_ptr<Flux> Lire(std::string_view nom) const;

private:
    struct Membre {
        std::string nom;
        uint16_t methode;
        uint32_t compresse, taille;
        size_t donnees;  // offset of the member's data in the package
    };
    std::string_view octets_;
    std::vector<Membre> membres_;
};

// Thrown inside the readers only and caught at their boundary.
struct Q12Assez {};      // the reader has all it keeps: the rest of the part is not read
struct Q12Annule {};     // the operator cancelled
struct Q12TropGrand {};  // the part holds more than any competitor list
struct Q12Illisible {};  // the part is damaged
