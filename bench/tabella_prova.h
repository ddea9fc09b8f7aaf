#pragma once
// The table both benchmarks read: `righe` rows of ten columns in a realistic
// mix (integers, a DECIMAL, short and medium texts, a date, NULLs), made
// anew in the database the connection names.
#include "odbc/ado.h"

#include <memory>

inline void PreparaTabella(const std::shared_ptr<ado::Connection>& c, bool postgres, qint64 righe) {
    const auto esegui = [&c](const QString& sql) {
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = sql;
        rs.Open();
    };
    esegui(QStringLiteral("DROP TABLE IF EXISTS t"));
    esegui(QStringLiteral("CREATE TABLE t (id INTEGER, gruppo INTEGER, grande BIGINT, "
                          "prezzo DECIMAL(11,2), codice VARCHAR(10), descrizione VARCHAR(60), "
                          "giorno DATE, nota VARCHAR(20), quantita INTEGER, stato CHAR(1))"));
    if (postgres) {
        esegui(QStringLiteral("INSERT INTO t SELECT i, i % 1000, i * 7919::bigint, "
                              "(i % 100000) / 100.0, 'C' || lpad(i::text, 7, '0'), "
                              "'Descrizione articolo numero ' || i || ' di prova', "
                              "DATE '2020-01-01' + (i % 1500), CASE WHEN i % 3 = 0 THEN "
                              "NULL ELSE 'nota ' || (i % 97) END, i % 50, CASE WHEN i % 2 "
                              "= 0 THEN 'A' ELSE 'B' END FROM generate_series(1, %1) AS i")
                   .arg(righe));
        esegui(QStringLiteral("VACUUM ANALYZE t"));
    } else {
        esegui(QStringLiteral("INSERT INTO t WITH RECURSIVE g(i) AS (SELECT 1 UNION ALL "
                              "SELECT i + 1 FROM g WHERE i < %1) SELECT i, i % 1000, i * "
                              "7919, (i % 100000) / 100.0, printf('C%07d', i), 'Descrizione "
                              "articolo numero ' || i || ' di prova', date('2020-01-01', '+' "
                              "|| (i % 1500) || ' days'), CASE WHEN i % 3 = 0 THEN NULL "
                              "ELSE 'nota ' || (i % 97) END, i % 50, CASE WHEN i % 2 = 0 "
                              "THEN 'A' ELSE 'B' END FROM g")
                   .arg(righe));
    }
}
