#pragma once
// The table of loaded values: rows a recordset read, taken one by one as a
// run loads them, without copying their text. Cells not taken (rows not
// loaded yet, columns beyond the rows', a table only sized) read as the
// empty text, and so does a NULL; Valore tells a NULL apart, from the flag
// the rows keep for every cell. A copy of the table shares the rows, which
// never change once a run is over: another thread may read the copy.
#include "odbc/righe.h"

#include <QStringView>
#include <memory>

class TabellaTesti {
  public:
    // Drops the rows taken so far; the table then has `righe` rows of
    // `colonne` columns, all empty text.
    void Dimensiona(qsizetype righe, int colonne);
    // From now on the table's rows are rows a recordset read (field c of
    // row r is fonte->Cella(r, c)), each taken in turn, from row 0, by
    // AdottaRiga. Keeps the table's size; Dimensiona ends it.
    void Adotta(std::shared_ptr<const ado::Righe> fonte);
    void AdottaRiga(qsizetype riga);
    QStringView Cella(qsizetype riga, int colonna) const;  // empty outside the table
    ado::Valore Valore(qsizetype riga, int colonna) const; // NULL outside the table
    // Rows taken so far, from row 0.
    qsizetype RigheAdottate() const { return righeAdottate_; }
    qsizetype Righe() const { return righe_; }
    int Colonne() const { return colonne_; }

  private:
    qsizetype righe_ = 0;
    int colonne_ = 0;
    std::shared_ptr<const ado::Righe> fonte_;
    qsizetype righeAdottate_ = 0;
};
