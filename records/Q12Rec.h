// Competitor-unit records: one competitor (the same 180 bytes in memory and in
// "Courant.q12ct") and the import settings (the whole of "QS-120_V1-0.q12cnf").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "lib/Endian.h"

struct Q12ConcurrentRec {
    int32_t Numero;  // competitor number, 1 or more (0 for a blank row)
    std::array<uint8_t, 4> Libre4;
    uint8_t Envoye;  // 1 once the number has gone to the clock
    uint8_t Libre9;
    char Texte1[64];  // table column 2, at most 63 bytes
    char Texte2[64];  // table column 3, at most 63 bytes
    char Texte3[42];  // table column 4, at most 41 bytes
};
static_assert(sizeof(Q12ConcurrentRec) == 180);
static_assert(offsetof(Q12ConcurrentRec, Numero) == 0);
static_assert(offsetof(Q12ConcurrentRec, Libre4) == 4);
static_assert(offsetof(Q12ConcurrentRec, Envoye) == 8);
static_assert(offsetof(Q12ConcurrentRec, Libre9) == 9);
static_assert(offsetof(Q12ConcurrentRec, Texte1) == 10);
static_assert(offsetof(Q12ConcurrentRec, Texte2) == 74);
static_assert(offsetof(Q12ConcurrentRec, Texte3) == 138);

struct Q12Cnf {
    int32_t Feuille;        // worksheet index, 1 = first sheet
    int32_t PremiereLigne;  // first spreadsheet row read
    int32_t Afficher;       // 1 = show the spreadsheet application (kept, no effect here)
    std::array<uint8_t, 4> Libre12;
    char ColNumero;  // column letter of the competitor number
    char ColTexte1;  // column letters of the texts, 0 = not read
    char ColTexte2;
    char Libre19;  // 'D' by default, unused
    char ColTexte3;
    char Libre21;  // 'F' by default, unused
    std::array<uint8_t, 2> Libre22;
    char Chemin[260];  // last imported spreadsheet, empty when none
};
static_assert(sizeof(Q12Cnf) == 284);
static_assert(offsetof(Q12Cnf, Feuille) == 0);
static_assert(offsetof(Q12Cnf, PremiereLigne) == 4);
static_assert(offsetof(Q12Cnf, Afficher) == 8);
static_assert(offsetof(Q12Cnf, Libre12) == 12);
static_assert(offsetof(Q12Cnf, ColNumero) == 16);
static_assert(offsetof(Q12Cnf, ColTexte1) == 17);
static_assert(offsetof(Q12Cnf, ColTexte2) == 18);
static_assert(offsetof(Q12Cnf, Libre19) == 19);
static_assert(offsetof(Q12Cnf, ColTexte3) == 20);
static_assert(offsetof(Q12Cnf, Libre21) == 21);
static_assert(offsetof(Q12Cnf, Libre22) == 22);
static_assert(offsetof(Q12Cnf, Chemin) == 24);

// Size of each list: the waiting list and the sent list hold at most this many.
inline constexpr int kQ12Max = 1000;
using Q12Bloc = std::array<Q12ConcurrentRec, kQ12Max>;

// "Courant.q12ct": count, 1 000 slots, count, 1 000 slots.
inline constexpr size_t kQ12TailleCourant = 4 + sizeof(Q12Bloc) + 4 + sizeof(Q12Bloc);
static_assert(kQ12TailleCourant == 360008);

inline constexpr const char* kQ12FichierCnf = "QS-120_V1-0.q12cnf";
inline constexpr const char* kQ12FichierCourant = "Courant.q12ct";
