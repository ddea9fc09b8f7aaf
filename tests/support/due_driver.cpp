#include "support/due_driver.h"

#include "support/odbc_privato.h"

#include <QTest>

namespace zeltest {

void DueDriver::Connetti() {
    PreparaOdbc();
    sqlite = zeltest::Connetti(StringaSqlite());
    if (postgresDisponibile()) {
        pg = zeltest::Connetti(StringaPostgres());
    }
}

void DueDriver::Righe() {
    QTest::addColumn<QString>("driver");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgres") << QStringLiteral("postgres");
}

std::shared_ptr<ado::Connection> DueDriver::Per(const QString& driver) const {
    return driver == u"sqlite" ? sqlite : pg;
}

} // namespace zeltest
