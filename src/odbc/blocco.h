#pragma once
// One block of bound columns, as SQLFetch left it, turned into cells. What
// the driver handed back is checked before it is used: the rows it says it
// fetched, each row's status and each length. A driver that breaks the rules
// ends the reading with an Errore, never with a read outside a buffer.
#include "odbc/righe.h"

#include <QList>
#include <span>
#include <sql.h>
#include <sqlext.h>

namespace ado {

struct ColonnaLegata {
    const SQLWCHAR* dati = nullptr;     // capienza × larghezza characters
    const SQLLEN* indicatori = nullptr; // one per row of the block
    SQLULEN larghezza = 0;              // characters per row, terminator included
    bool numerico = false;              // '.' becomes the locale's separator
};

struct Blocco {
    std::span<const ColonnaLegata> colonne;
    const SQLUSMALLINT* statoRighe = nullptr; // capienza entries
    SQLULEN capienza = 0;                     // rows the arrays hold
    SQLULEN ottenute = 0;                     // rows the driver says it fetched
    bool troncamentiAmmessi = false;          // SQLFetch gave SQL_SUCCESS_WITH_INFO
    qint64 primaRiga = 0;                     // rows before `righe`'s first, for messages
};

// What the conversion asks of the statement it reads.
class Completamento {
  public:
    // Appends to `righe` the whole text of a cell whose bound value came
    // back truncated (the cell is open and empty); true when it is NULL.
    virtual bool Completa(SQLULEN riga, std::size_t colonna) = 0;
    // The driver's records about the last fetch, for the error message.
    virtual QList<Diagnostica> Diagnostiche() = 0;

  protected:
    ~Completamento() = default;
};

// Appends the block's rows to `righe`, cell by cell in row order. Throws
// Errore, with the rows appended so far left in `righe`.
void Converti(const Blocco& b, Righe& righe, QStringView separatore, Completamento& completa);

// A length SQLGetData or a bound column reported, checked: true when the
// value fits in `capienza` bytes (the length is then even), false when it was
// truncated; throws Errore, naming the row and column (1-based), when it is
// neither. `avviso` says whether the call returned SQL_SUCCESS_WITH_INFO,
// without which a value may not be longer than its room. SQL_NULL_DATA is the
// caller's to handle.
bool LunghezzaValida(SQLLEN byte, SQLLEN capienza, bool avviso, qint64 riga, std::size_t colonna);

} // namespace ado
