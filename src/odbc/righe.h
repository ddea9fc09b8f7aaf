#pragma once
// The rows of a client-side cursor, packed: the text of every cell, one
// after the other, in blocks of up to 64K characters; the 16-bit end offset
// of each cell in its block; one bit per cell for NULL. A longer cell has a
// block of its own. A cell is appended in pieces, then
// closed. A cell never spans two blocks, so its text is one QStringView;
// blocks never move once filled, so growing never copies what was read.
//
// While the rows are written the driver still holds its own copy of them,
// so a block whose text is all Latin-1 keeps one byte per character; a
// piece beyond Latin-1 goes to a block of UTF-16. Compatta, once the driver
// has let go of its copy, turns every block into UTF-16: Cella reads rows
// from then on. Rows that live a block of a forward-only cursor long are
// written in UTF-16 from the start (`largo`), and Cella reads them at once.
#include "odbc/ado.h"

#include <deque>
#include <memory>
#include <vector>

namespace ado {

class Righe {
  public:
    void Azzera(int colonne, bool largo = false); // drops every row, releasing the memory
    // Drops every row, keeping the first block's room for the next ones.
    void Svuota();
    // Appends to the cell being written; with a separator, '.' becomes it.
    void Appendi(QStringView pezzo);
    void Appendi(QStringView pezzo, QStringView separatore);
    void ChiudiCella(bool nullo); // a NULL cell must have no text
    // Ends the writing: gives back the room kept for growth and turns every
    // block into UTF-16.
    void Compatta();
    int Colonne() const { return colonne_; }
    qint64 Conta() const { return colonne_ == 0 ? 0 : qint64(fine_.size()) / colonne_; }
    Valore Cella(qint64 riga, int colonna) const; // after Compatta, or when `largo`
    qint64 Byte() const;

  private:
    struct Blocco {
        std::unique_ptr<char16_t[]> testo; // UTF-16, or
        std::unique_ptr<char[]> stretto;   // Latin-1, one byte per character
        qsizetype capienza = 0;            // characters
        qsizetype usati = 0;
        qint64 primaCella = 0; // index of the first cell that lives here
        bool unaCella = false; // too big for 16-bit offsets: its one cell ends at usati
        bool Largo() const { return testo != nullptr; }
    };
    // Room for n more characters of the open cell, in the last block, which
    // is UTF-16 when `largo` says the piece needs it.
    Blocco& Spazio(qsizetype n, bool largo);
    // A new last block with room for the open cell, n more characters and more.
    void Nuovo(qsizetype n, bool largo);
    // A block of one cell whose cell is closed takes no other.
    bool Chiuso(const Blocco& b) const { return b.unaCella && qint64(fine_.size()) > b.primaCella; }

    int colonne_ = 0;
    bool largo_ = false; // every block in UTF-16
    std::vector<Blocco> blocchi_;
    qsizetype inizioCella_ = 0; // where the open cell starts in the last block
    std::deque<quint16> fine_;  // end of each cell within its block
    std::vector<bool> nullo_;
};

} // namespace ado
