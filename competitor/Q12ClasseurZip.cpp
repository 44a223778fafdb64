// The zip package of .xlsx and .ods workbooks: directory and members inflated in pieces.
#include "competitor/Q12ClasseurZip.h"

#include <zlib.h>

#include <algorithm>

namespace {

// Members are inflated by this many bytes at a time.
constexpr size_t kMorceau = 64 << 10;
constexpr size_t kMembresMax = 10000;

uint32_t Lire32(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Lire16(std::string_view b, size_t at) {
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

class FluxStocke : public Q12Paquet::Flux {
public:
    explicit FluxStocke(std::string_view donnees) : donnees_(donnees) {}
    bool Etendre(size_t taille) override {
        taille = std::min(taille, donnees_.size());
        if (taille > texte_.size()) texte_.append(donnees_.substr(texte_.size(), taille - texte_.size()));
        return true;
    }
    bool Fini() const override { return texte_.size() == donnees_.size(); }

private:
    std::string_view donnees_;
};

class FluxDeflate : public Q12Paquet::Flux {
public:
    FluxDeflate(std::string_view donnees, uint32_t taille) : taille_(taille) {
        z_ = z_stream{};
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(donnees.data()));
        z_.avail_in = uInt(donnees.size());
        ok_ = initialise_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK;
    }
    ~FluxDeflate() override {
        if (initialise_) inflateEnd(&z_);  // also after a damaged stream
    }
    FluxDeflate(const FluxDeflate&) = delete;
    FluxDeflate& operator=(const FluxDeflate&) = delete;

    bool Etendre(size_t taille) override {
        while (ok_ && !fini_ && texte_.size() < taille) {
            // The member's declared size bounds what it may give.
            const size_t reste = size_t(taille_) - texte_.size();
            if (reste == 0) return ok_ = false;
            const size_t avant = texte_.size();
            const size_t pas = std::min(reste, kMorceau);
            texte_.resize(avant + pas);
            z_.next_out = reinterpret_cast<Bytef*>(texte_.data() + avant);
            z_.avail_out = uInt(pas);
            const int rc = inflate(&z_, Z_NO_FLUSH);
            texte_.resize(avant + pas - z_.avail_out);
            if (rc == Z_STREAM_END) {
                fini_ = true;
            } else if (rc != Z_OK || (texte_.size() == avant && z_.avail_in == 0)) {
                ok_ = false;
            }
        }
        return ok_;
    }
    bool Fini() const override { return fini_; }

private:
    z_stream z_;
    uint32_t taille_;
    bool initialise_ = false;
    bool ok_ = false;
    bool fini_ = false;
};

}  // namespace

bool Q12Paquet::Ouvrir(std::string_view b) {
    octets_ = b;
    membres_.clear();
    constexpr size_t kFin = 22;
    if (b.size() < kFin) return false;
    size_t fin = std::string_view::npos;
    const size_t bas = b.size() > kFin + 65535 ? b.size() - kFin - 65535 : 0;
    for (size_t i = b.size() - kFin + 1; i-- > bas;)
        if (Lire32(b, i) == 0x06054b50) {
            fin = i;
            break;
        }
    if (fin == std::string_view::npos) return false;
    const size_t n = Lire16(b, fin + 10);
    size_t at = Lire32(b, fin + 16);
    if (n > kMembresMax) return false;
    for (size_t k = 0; k < n; ++k) {
        if (at + 46 > b.size() || Lire32(b, at) != 0x02014b50) return false;
        Membre m;
        m.methode = Lire16(b, at + 10);
        m.compresse = Lire32(b, at + 20);
        m.taille = Lire32(b, at + 24);
        const size_t nom = Lire16(b, at + 28), extra = Lire16(b, at + 30), note = Lire16(b, at + 32);
        const size_t local = Lire32(b, at + 42);
        // The declared size only bounds what the member may give: nothing is sized from it.
        if (at + 46 + nom > b.size()) return false;
        m.nom = std::string(b.substr(at + 46, nom));
        if (local + 30 > b.size() || Lire32(b, local) != 0x04034b50) return false;
        m.donnees = local + 30 + Lire16(b, local + 26) + Lire16(b, local + 28);
        if (m.donnees > b.size() || m.compresse > b.size() - m.donnees) return false;
        membres_.push_back(std::move(m));
        at += 46 + nom + extra + note;
    }
    return true;
}

bool Q12Paquet::Contient(std::string_view nom) const {
    return std::any_of(membres_.begin(), membres_.end(), [&](const Membre& m) { return m.nom == nom; });
}

std::unique_ptr<Q12Paquet::Flux> Q12Paquet::Lire(std::string_view nom) const {
    for (const Membre& m : membres_) {
        if (m.nom != nom) continue;
        const std::string_view donnees = octets_.substr(m.donnees, m.compresse);
        if (m.methode == 0)
            return std::make_unique<FluxStocke>(
                donnees.substr(0, std::min(donnees.size(), size_t(m.taille))));
        if (m.methode == 8) return std::make_unique<FluxDeflate>(donnees, m.taille);
        return nullptr;
    }
    return nullptr;
}
