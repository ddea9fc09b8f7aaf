#pragma once
// The rows of a client-side cursor, packed: the text of every cell, one
// after the other, in one UTF-16 buffer; the end offset of each cell; one bit
// per cell for NULL. A cell is appended in pieces, then closed.
#include "platform/ado/ado.h"

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
    qint64 Conta() const { return colonne_ == 0 ? 0 : qint64(fine_.size()) / colonne_; }
    Valore Cella(qint64 riga, int colonna) const;
    qint64 Byte() const;

  private:
    int colonne_ = 0;
    std::vector<char16_t> testo_;
    std::vector<quint32> fine_; // end of each cell in testo_
    std::vector<bool> nullo_;
};

} // namespace ado
