#include "odbc/righe.h"

#include <algorithm>
#include <limits>

namespace ado {

namespace {

// Characters per block: as many as 16-bit offsets reach.
constexpr qsizetype kBlocco = 0xFFFF;

bool Latin1(QStringView testo) {
    char16_t tutti = 0;
    for (const QChar c : testo)
        tutti |= c.unicode();
    return tutti < 0x100;
}

// Copies a piece into a block's text, '.' becoming the separator when one is
// given; T is the block's character type (the piece fits it).
template <typename T> void Scrivi(T* p, QStringView pezzo, QStringView separatore) {
    if (separatore.isNull()) {
        std::transform(pezzo.utf16(), pezzo.utf16() + pezzo.size(), p,
                       [](char16_t c) { return T(c); });
        return;
    }
    for (const QChar c : pezzo) {
        if (c == u'.') {
            for (const QChar s : separatore)
                *p++ = T(s.unicode());
        } else {
            *p++ = T(c.unicode());
        }
    }
}

} // namespace

void Righe::Azzera(int colonne, bool largo) {
    colonne_ = colonne;
    largo_ = largo;
    std::vector<Blocco>().swap(blocchi_);
    inizioCella_ = 0;
    std::deque<quint16>().swap(fine_);
    std::vector<bool>().swap(nullo_);
}

void Righe::Svuota() {
    if (!blocchi_.empty() && !blocchi_.front().unaCella) {
        blocchi_.resize(1);
        blocchi_.front().usati = 0;
    } else {
        blocchi_.clear();
    }
    inizioCella_ = 0;
    fine_.clear();
    nullo_.clear();
}

void Righe::Nuovo(qsizetype n, bool largo) {
    // The open cell moves to the new block; a block that holds no closed
    // cell, empty ones included, is replaced.
    Blocco* vecchio = blocchi_.empty() ? nullptr : &blocchi_.back();
    const qsizetype giaScritti = vecchio ? vecchio->usati - inizioCella_ : 0;
    Blocco nuovo;
    nuovo.capienza = giaScritti + n <= kBlocco ? kBlocco : 2 * (giaScritti + n);
    nuovo.unaCella = nuovo.capienza > kBlocco;
    // Offsets within a block are 32-bit.
    if (nuovo.capienza > qsizetype(std::numeric_limits<quint32>::max()))
        throw Errore(QStringLiteral("Un valore del risultato è troppo grande per essere "
                                    "tenuto in memoria."));
    if (largo)
        nuovo.testo = std::make_unique_for_overwrite<char16_t[]>(std::size_t(nuovo.capienza));
    else
        nuovo.stretto = std::make_unique_for_overwrite<char[]>(std::size_t(nuovo.capienza));
    nuovo.primaCella = qint64(fine_.size());
    if (giaScritti > 0) {
        if (vecchio->Largo())
            std::copy_n(vecchio->testo.get() + inizioCella_, giaScritti, nuovo.testo.get());
        else if (largo)
            std::transform(vecchio->stretto.get() + inizioCella_,
                           vecchio->stretto.get() + vecchio->usati, nuovo.testo.get(),
                           [](char c) { return char16_t(uchar(c)); });
        else
            std::copy_n(vecchio->stretto.get() + inizioCella_, giaScritti, nuovo.stretto.get());
    }
    nuovo.usati = giaScritti;
    if (vecchio && vecchio->primaCella == qint64(fine_.size()))
        blocchi_.pop_back();
    else if (vecchio)
        vecchio->usati = inizioCella_;
    blocchi_.push_back(std::move(nuovo));
    inizioCella_ = 0;
}

Righe::Blocco& Righe::Spazio(qsizetype n, bool largo) {
    if (!blocchi_.empty()) {
        const Blocco& b = blocchi_.back();
        // Text of the open cell already in UTF-16 stays so.
        largo = largo || (b.Largo() && b.usati > inizioCella_);
        if (!Chiuso(b) && b.usati + n <= b.capienza && (b.Largo() || !largo))
            return blocchi_.back();
    }
    Nuovo(n, largo);
    return blocchi_.back();
}

void Righe::Appendi(QStringView pezzo) { Appendi(pezzo, QStringView()); }

void Righe::Appendi(QStringView pezzo, QStringView separatore) {
    qsizetype n = pezzo.size();
    if (!separatore.isNull()) {
        if (separatore == u".")
            separatore = QStringView();
        else
            n += pezzo.count(u'.') * (separatore.size() - 1);
    }
    Blocco& b = Spazio(n, largo_ || !Latin1(pezzo) || !Latin1(separatore));
    if (b.Largo())
        Scrivi(b.testo.get() + b.usati, pezzo, separatore);
    else
        Scrivi(b.stretto.get() + b.usati, pezzo, separatore);
    b.usati += n;
}

void Righe::ChiudiCella(bool nullo) {
    if (blocchi_.empty() || Chiuso(blocchi_.back()))
        Spazio(0, false);
    inizioCella_ = blocchi_.back().usati;
    fine_.push_back(quint16(inizioCella_)); // unused in a block of one cell
    nullo_.push_back(nullo);
}

void Righe::Compatta() {
    for (Blocco& b : blocchi_) {
        if (b.Largo() && b.usati == b.capienza)
            continue;
        auto esatto = std::make_unique_for_overwrite<char16_t[]>(std::size_t(b.usati));
        if (b.Largo())
            std::copy_n(b.testo.get(), b.usati, esatto.get());
        else
            std::transform(b.stretto.get(), b.stretto.get() + b.usati, esatto.get(),
                           [](char c) { return char16_t(uchar(c)); });
        b.stretto.reset();
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
    const qsizetype inizio = k == b->primaCella ? 0 : fine_[std::size_t(k - 1)];
    const qsizetype fine = b->unaCella ? b->usati : fine_[std::size_t(k)];
    Q_ASSERT(b->Largo() || fine == inizio);
    if (!b->Largo())
        return {nullo_[std::size_t(k)], QStringView()};
    return {nullo_[std::size_t(k)], QStringView(b->testo.get() + inizio, qsizetype(fine - inizio))};
}

qint64 Righe::Byte() const {
    qint64 byte = qint64(nullo_.capacity() / 8 + fine_.size() * sizeof(quint16));
    for (const Blocco& b : blocchi_)
        byte += b.capienza * qint64(b.Largo() ? sizeof(char16_t) : sizeof(char));
    return byte;
}

} // namespace ado
