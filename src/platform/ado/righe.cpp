#include "platform/ado/righe.h"

#include <limits>

namespace ado {

void Righe::Azzera(int colonne) {
    colonne_ = colonne;
    std::vector<char16_t>().swap(testo_);
    std::vector<quint32>().swap(fine_);
    std::vector<bool>().swap(nullo_);
}

void Righe::Appendi(QStringView pezzo) {
    testo_.insert(testo_.end(), pezzo.utf16(), pezzo.utf16() + pezzo.size());
}

void Righe::Appendi(QStringView pezzo, QStringView separatore) {
    if (separatore == u".") {
        Appendi(pezzo);
        return;
    }
    for (QChar c : pezzo) {
        if (c == u'.')
            Appendi(separatore);
        else
            testo_.push_back(c.unicode());
    }
}

void Righe::ChiudiCella(bool nullo) {
    // Offsets are 32-bit: 4 G characters (8 GB of text) is more than the
    // program could hold anyway.
    if (testo_.size() > std::numeric_limits<quint32>::max())
        throw Errore(QStringLiteral("Il risultato è troppo grande per essere tenuto in memoria."));
    fine_.push_back(static_cast<quint32>(testo_.size()));
    nullo_.push_back(nullo);
}

void Righe::Compatta() {
    testo_.shrink_to_fit();
    fine_.shrink_to_fit();
    nullo_.shrink_to_fit();
}

Valore Righe::Cella(qint64 riga, int colonna) const {
    const std::size_t k = std::size_t(riga * colonne_ + colonna);
    const quint32 inizio = k == 0 ? 0 : fine_[k - 1];
    return {nullo_[k], QStringView(testo_.data() + inizio, qsizetype(fine_[k] - inizio))};
}

qint64 Righe::Byte() const {
    return qint64(testo_.capacity() * sizeof(char16_t) + fine_.capacity() * sizeof(quint32) +
                  nullo_.capacity() / 8);
}

} // namespace ado
