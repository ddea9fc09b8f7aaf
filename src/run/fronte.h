#pragma once
// What a run reports to the program that shows it: the window writes its
// controls, the command writes its output. Every call comes from the run's
// thread, in the run's order.
#include "odbc/righe.h"
#include "run/tempi.h"

#include <QString>
#include <memory>

class FronteCorsa {
  public:
    virtual ~FronteCorsa() = default;

    // A run starts: what the last one left is cleared.
    virtual void Inizio() = 0;
    // The status text, and its showing: a loop sets the text for each row
    // and shows it at once.
    virtual void Stato(const QString& testo) = 0;
    virtual void MostraStato() = 0;
    // The connection is open (the statement is about to be executed).
    virtual void Connessa() {}
    // One line of the field definitions, then their number once all are in.
    virtual void Campo(const QString& riga) = 0;
    virtual void CampiElencati(int campi) = 0;
    // Asked once, after the counting: execute again and load every row.
    virtual bool CaricaRighe() const = 0;
    // Whether the loaded rows are kept (the window shows them all) or only
    // passed by, one block of them in memory at a time (the command).
    virtual bool TieneRighe() const { return true; }
    // Before the second execution: `righe` rows of `colonne` fields to come.
    virtual void PreparaCaricamento(qint64 righe, int colonne) = 0;
    // The second execution's rows, read by Riga one at a time from row 0,
    // the current row of `rs`. RigheLette comes only when the rows are kept.
    virtual void RigheLette(std::shared_ptr<const ado::Righe> righe, int colonne) = 0;
    virtual void Riga(qint64 riga, const ado::Recordset& rs) = 0;
    // Every row has been loaded by Riga.
    virtual void RigheCaricate() = 0;
    // The loading phase is over with `righe` rows (none to load included).
    virtual void Caricamento(qint64 righe) = 0;
    // The exact durations, for a run that ends now by `esito`.
    virtual void Tempi(const tempi::Misure& misure, tempi::Esito esito) = 0;
    // The run failed: the connection string, the statement and the error;
    // the run goes on once this returns.
    virtual void Errore(const QString& connessione, const QString& sql,
                        const QString& descrizione) = 0;
};
