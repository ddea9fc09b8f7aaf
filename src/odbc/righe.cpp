#include "odbc/righe.h"

#include <algorithm>
#include <limits>

namespace ado {

namespace {

// Characters per block: large enough that blocks are few, small enough that
// the unused end of the last one does not matter.
constexpr qsizetype kBlocco = 256 * 1024;

} // namespace

void Righe::Azzera(int colonne) {
    colonne_ = colonne;
    std::vector<Blocco>().swap(blocchi_);
    inizioCella_ = 0;
    std::deque<quint32>().swap(fine_);
    std::vector<bool>().swap(nullo_);
}

char16_t* Righe::Spazio(qsizetype n) {
    if (blocchi_.empty() || blocchi_.back().usati + n > blocchi_.back().capienza) {
        // The open cell moves to a new block with room for it and more;
        // a block left holding nothing but that cell is replaced.
        const qsizetype giaScritti = blocchi_.empty() ? 0 : blocchi_.back().usati - inizioCella_;
        Blocco nuovo;
        nuovo.capienza = std::max(kBlocco, 2 * (giaScritti + n));
        // Offsets within a block are 32-bit.
        if (nuovo.capienza > qsizetype(std::numeric_limits<quint32>::max()))
            throw Errore(QStringLiteral("Un valore del risultato è troppo grande per essere "
                                        "tenuto in memoria."));
        nuovo.testo = std::make_unique_for_overwrite<char16_t[]>(std::size_t(nuovo.capienza));
        nuovo.primaCella = qint64(fine_.size());
        if (giaScritti > 0)
            std::copy_n(blocchi_.back().testo.get() + inizioCella_, giaScritti, nuovo.testo.get());
        nuovo.usati = giaScritti;
        if (!blocchi_.empty() && inizioCella_ == 0)
            blocchi_.pop_back();
        else if (!blocchi_.empty())
            blocchi_.back().usati = inizioCella_;
        blocchi_.push_back(std::move(nuovo));
        inizioCella_ = 0;
    }
    Blocco& b = blocchi_.back();
    char16_t* p = b.testo.get() + b.usati;
    b.usati += n;
    return p;
}

void Righe::Appendi(QStringView pezzo) {
    std::copy_n(pezzo.utf16(), pezzo.size(), Spazio(pezzo.size()));
}

void Righe::Appendi(QStringView pezzo, QStringView separatore) {
    if (separatore == u".") {
        Appendi(pezzo);
        return;
    }
    const qsizetype punti = pezzo.count(u'.');
    char16_t* p = Spazio(pezzo.size() + punti * (separatore.size() - 1));
    for (QChar c : pezzo) {
        if (c == u'.')
            p = std::copy_n(separatore.utf16(), separatore.size(), p);
        else
            *p++ = c.unicode();
    }
}

void Righe::ChiudiCella(bool nullo) {
    if (blocchi_.empty())
        Spazio(0);
    inizioCella_ = blocchi_.back().usati;
    fine_.push_back(quint32(inizioCella_));
    nullo_.push_back(nullo);
}

void Righe::Compatta() {
    if (!blocchi_.empty()) {
        Blocco& b = blocchi_.back();
        auto esatto = std::make_unique_for_overwrite<char16_t[]>(std::size_t(b.usati));
        std::copy_n(b.testo.get(), b.usati, esatto.get());
        b.testo = std::move(esatto);
        b.capienza = b.usati;
    }
    fine_.shrink_to_fit();
    nullo_.shrink_to_fit();
}

Valore Righe::Cella(qint64 riga, int colonna) const {
    const qint64 k = riga * colonne_ + colonna;
    // The last block whose first cell is at or before k.
    const auto b =
        std::upper_bound(blocchi_.begin(), blocchi_.end(), k,
                         [](qint64 cella, const Blocco& x) { return cella < x.primaCella; }) -
        1;
    const quint32 inizio = k == b->primaCella ? 0 : fine_[std::size_t(k - 1)];
    const quint32 fine = fine_[std::size_t(k)];
    return {nullo_[std::size_t(k)], QStringView(b->testo.get() + inizio, qsizetype(fine - inizio))};
}

qint64 Righe::Byte() const {
    qint64 byte = qint64(nullo_.capacity() / 8 + fine_.size() * sizeof(quint32));
    for (const Blocco& b : blocchi_)
        byte += b.capienza * qint64(sizeof(char16_t));
    return byte;
}

} // namespace ado
