#pragma once
// A small ADO-like data-access layer over the unixODBC C API.
//
// Connection: ConnectionString is an ADO-style string (see
// stringa_connessione.h), translated to an ODBC string only inside Open.
// Recordset: a client-side static cursor. Open executes Source once and
// fetches every row into memory before it returns; Eof/MoveNext then walk
// memory; Close followed by Open executes the statement again from its first
// row. With CursorType adOpenForwardOnly (and not SoloConteggio) only one
// block of rows is held at a time: Open fetches the first, MoveNext the next
// once the current one is walked, in the same way and with the same checks. Columns are bound and
// fetched in blocks; a value longer than its bound cell (drivers announce sizes that values exceed)
// is read again whole with SQLGetData from the same execution: within the block where the driver
// allows it (SQL_GD_BLOCK), otherwise fetching one row at a time. A result
// with a column of unknown width, or a driver that cannot read a bound
// column that way, has every cell read with SQLGetData. Whatever the driver hands back (rows
// fetched, row states, lengths) is checked before it is read.
//
// Every failure is an ado::Errore. Destructors never throw. Objects are used
// from one thread at a time (Open may run on a worker thread while the window
// keeps drawing).
#include "odbc/errore.h"

#include <QLocale>
#include <QString>
#include <QStringView>
#include <memory>

namespace ado {

enum : int {
    adOpenForwardOnly = 0,
    adOpenStatic = 3,
    adLockOptimistic = 3,
    adUseClient = 3,
    adUnspecified = -1
};

class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString ConnectionString;
    qint32 ConnectionTimeout = 15; // login time-out, seconds, 0 = none
    qint32 CommandTimeout = 30;    // statement time-out, seconds, 0 = none

    void Open();  // connects with ConnectionString; throws Errore
    void Close(); // no-op when closed
    bool IsOpen() const;
    // Asks a statement running on another thread to give up (SQLCancel).
    void Cancel() noexcept;
    // The same from a signal handler that interrupted the statement's own
    // thread: never waits for a lock; false when no statement was asked.
    bool CancelSenzaAttesa() noexcept;

    struct Handles;
    Handles& handles() const { return *h_; }

  private:
    std::unique_ptr<Handles> h_;
};

// The value of a field in the current row: NULL, or its text form. The view
// stays valid until the recordset moves, closes or is destroyed.
struct Valore {
    bool nullo = true;
    QStringView testo;
    bool IsNull() const { return nullo; }
    QString ToString() const { return testo.toString(); } // NULL gives empty text
};

class Recordset;
class Righe;

class Field {
  public:
    Field(const Recordset& rs, int i) : rs_(&rs), i_(i) {}
    QString Name() const;
    quint8 Precision() const;
    quint8 NumericScale() const; // 255 for every non-numeric field
    Valore Value() const;        // throws Errore when there is no current row

  private:
    const Recordset* rs_;
    int i_;
};

class FieldList {
  public:
    explicit FieldList(const Recordset& rs) : rs_(&rs) {}
    int Count() const;
    Field Item(int i) const; // 0-based; throws Errore when out of range

  private:
    const Recordset* rs_;
};

class Recordset {
  public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    int CursorType = adUnspecified;
    int LockType = adUnspecified;
    std::shared_ptr<Connection> ActiveConnection;
    int CursorLocation = adUnspecified;
    QString Source;
    // Numeric values (DECIMAL, NUMERIC, REAL, FLOAT, DOUBLE) show this
    // locale's decimal separator in place of the driver's '.'.
    QLocale Locale = QLocale::system();
    // For a pass that only counts: Open keeps the first row's values and
    // counts the other rows without asking the driver for their values. Eof
    // and MoveNext walk every row; a later row's values are not there.
    bool SoloConteggio = false;

    void Open();  // executes Source, fetches every row (or the first block); throws Errore
    void Close(); // releases the rows; no-op when closed
    bool IsOpen() const;
    // Both throw Errore when the statement returned no result set, or the
    // recordset is closed.
    bool Eof() const;
    void MoveNext(); // a forward-only cursor may fetch here, and throw its Errore
    FieldList Fields() const;

    // Rows counted (held in memory unless SoloConteggio; a forward-only
    // cursor's count is the rows fetched so far), and the bytes the held
    // ones take (for measurements).
    qint64 RecordCount() const;
    qint64 MemoryBytes() const;
    // The rows Open held, row r's field i at Cella(r, i); they stay valid
    // after Close for as long as the pointer is held (a forward-only
    // cursor: the current block, until MoveNext leaves it). Throws like Eof.
    std::shared_ptr<const Righe> RigheLette() const;

    struct Stato;
    Stato& stato() const { return *s_; }

  private:
    std::unique_ptr<Stato> s_;
};

} // namespace ado
