#pragma once
// A two-dimensional table of texts kept compactly: one UTF-16 buffer and one
// offset per cell. Cells are written in row order, each row's cells from the
// first column on (the way a run loads rows); cells never written read as
// the empty text. Holds a million rows of ten fields in about the size of
// their text.
#include "platform/ado/righe.h"
#include "platform/crescente.h"

#include <QString>
#include <QStringView>
#include <memory>

class TabellaTesti {
  public:
    // Discards every cell; the table then has `righe` rows of `colonne`
    // columns, all empty text.
    void Dimensiona(qsizetype righe, int colonne);
    // Stores a cell. Writing row r column c requires every row before r to
    // be complete and, within r, columns before c already written (skipped
    // cells stay empty). A row past the last grows the table.
    void Imposta(qsizetype riga, int colonna, QStringView testo);
    // From now on the table's rows are rows a recordset read (field c of
    // row r is fonte->Cella(r, c), NULL as the empty text), each taken in
    // turn, from row 0, by AdottaRiga: nothing is copied. Drops the cells
    // written so far and keeps the table's size; Dimensiona ends it.
    void Adotta(std::shared_ptr<const ado::Righe> fonte);
    void AdottaRiga(qsizetype riga);
    QStringView Cella(qsizetype riga, int colonna) const; // empty outside the table
    qsizetype Righe() const { return righe_; }
    int Colonne() const { return colonne_; }
    qint64 MemoryBytes() const;

  private:
    qsizetype righe_ = 0;
    int colonne_ = 0;
    Crescente<char16_t> testo_;
    Crescente<quint64> inizioRiga_; // offset of each written row in testo_
    Crescente<quint32> fineCella_;  // per written cell: end, relative to its row
    qsizetype rigaCorrente_ = -1;
    int colonneScritte_ = 0;
    std::shared_ptr<const ado::Righe> fonte_;
    qsizetype righeAdottate_ = 0;
};
