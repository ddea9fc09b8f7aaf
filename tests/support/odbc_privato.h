#pragma once
// A private ODBC configuration for the tests: drivers and data sources in a
// temporary folder, reached through ODBCSYSINI and ODBCINI, so nothing under
// /etc or the user's home is read or written.
//
// Data sources:
//   ZELTEST_SQLITE        the SQLite3 driver on a fresh database file
//   ZELTEST_PG            psqlODBC ("PostgreSQL Unicode") on the server that
//                         scripts/lib/postgres.sh started (ZEL_PG_* variables)
//   ZELTEST_SENZA_DRIVER  a driver whose library does not exist
#include "odbc/ado.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace zeltest {

// Writes the configuration and sets the variables on the first call; call
// it before any ODBC call (initTestCase). Returns the folder.
QString PreparaOdbc();

QString FileSqlite();
QString StringaSqlite(); // ADO connection strings
QString StringaPostgres();
QString StringaSenzaDriver();

// Adds (or replaces) a data source in the private odbc.ini: `righe` are its
// "Key=Value" lines, e.g. {"Driver=PostgreSQL Unicode", "Port=5432"}. The
// driver manager keeps every value it has read for 20 seconds: add a data
// source before the first connection that names it, and give a changed one
// a new name rather than replacing it.
void AggiungiDsn(const QString& nome, const QStringList& righe);

// True when the ZEL_PG_* variables name a server (set by scripts/test).
bool postgresDisponibile();

// An open connection; throws ado::Errore.
std::shared_ptr<ado::Connection> Connetti(const QString& stringa);
// Runs each statement in turn on the connection; throws ado::Errore.
void Esegui(const std::shared_ptr<ado::Connection>& c, const QStringList& istruzioni);

} // namespace zeltest

// Inside a test function: skips it when no PostgreSQL server is available.
#define ZEL_RICHIEDI_POSTGRES()                                                                    \
    do {                                                                                           \
        if (!zeltest::postgresDisponibile())                                                       \
            QSKIP("Server PostgreSQL non disponibile (variabili ZEL_PG_* assenti).");              \
    } while (false)
