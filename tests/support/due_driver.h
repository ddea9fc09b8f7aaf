#pragma once
// Both real drivers for a data-driven test: the SQLite3 driver and, when
// scripts/test started a server, psqlODBC. Rows name their driver in a
// column "driver" ("sqlite" or "postgres").
#include "odbc/ado.h"

#include <QString>
#include <memory>

namespace zeltest {

class DueDriver {
  public:
    // Prepares the private configuration and connects both; call it in
    // initTestCase. Without a server, `pg` stays empty.
    void Connetti();
    // The column "driver" and one row for each driver.
    static void Righe();
    // The connection of a driver, or nullptr when it is missing.
    std::shared_ptr<ado::Connection> Per(const QString& driver) const;

    std::shared_ptr<ado::Connection> sqlite;
    std::shared_ptr<ado::Connection> pg;
};

} // namespace zeltest

// Inside a data-driven test function: `c` is the connection of the row's
// driver; the row is skipped when that driver has no server.
#define ZEL_CONNESSIONE_DEL_DRIVER(c, driver_)                                                     \
    QFETCH(QString, driver);                                                                       \
    const std::shared_ptr<ado::Connection> c = (driver_).Per(driver);                              \
    if (!c)                                                                                        \
    QSKIP("Server PostgreSQL non disponibile.")
