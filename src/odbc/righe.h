#pragma once
// The rows of a client-side cursor, packed: the text of every cell, one
// after the other, in large blocks of UTF-16; the end offset of each cell in
// its block; one bit per cell for NULL. A cell is appended in pieces, then
// closed. A cell never spans two blocks, so its text is one QStringView;
// blocks never move once filled, so growing never copies what was read.
#include "odbc/ado.h"

#include <deque>
#include <memory>
#include <vector>

namespace ado {

class Righe {
  public:
    void Azzera(int colonne); // drops every row, releasing the memory
    // Appends to the cell being written; with a separator, '.' becomes it.
    void Appendi(QStringView pezzo);
    void Appendi(QStringView pezzo, QStringView separatore);
    void ChiudiCella(bool nullo); // a NULL cell must have no text
    void Compatta();              // gives back the room kept for growth
    int Colonne() const { return colonne_; }
    qint64 Conta() const { return colonne_ == 0 ? 0 : qint64(fine_.size()) / colonne_; }
    Valore Cella(qint64 riga, int colonna) const;
    qint64 Byte() const;

  private:
    struct Blocco {
        std::unique_ptr<char16_t[]> testo;
        qsizetype capienza = 0;
        qsizetype usati = 0;
        qint64 primaCella = 0; // index of the first cell that lives here
    };
    // Room for n more characters of the open cell, in the last block.
    char16_t* Spazio(qsizetype n);

    int colonne_ = 0;
    std::vector<Blocco> blocchi_;
    qsizetype inizioCella_ = 0; // where the open cell starts in the last block
    std::deque<quint32> fine_;  // end of each cell within its block
    std::vector<bool> nullo_;
};

} // namespace ado
