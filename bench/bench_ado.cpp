// Reading speed and memory of the data-access layer beside a plain ODBC
// block-fetch loop, on the same statement and data.
//
//   bench_ado [righe] [sqlite|postgres]   prepares the data, then runs both
//                                         readers, each in its own process
//   bench_ado ado|floor <driver>          one reader alone (needs the data)
//
// sqlite uses a database file in a temporary folder, or the file named by
// ZEL_BENCH_DB; postgres needs the ZEL_PG_* variables (source
// scripts/lib/postgres.sh; pg_avvia).
#include "odbc/ado.h"
#include "support/driver_odbc.h"
#include "tabella_prova.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <vector>

namespace {

double PiccoMB() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_maxrss) / 1024.0;
}

double AttualeMB() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> campi = f.readAll().split(' ');
    return campi.size() > 1 ? campi[1].toDouble() * 4096.0 / 1048576.0 : 0;
}

// The ODBC connection string for a driver; the environment carries what the
// parent process prepared.
QString StringaOdbc(const QString& driver) {
    if (driver == u"postgres")
        return QStringLiteral("Driver={PostgreSQL Unicode};Servername=%1;Port=%2;Database=%3;"
                              "UID=%4;PWD=%5;SSLMode=disable")
            .arg(qEnvironmentVariable("ZEL_PG_HOST"), qEnvironmentVariable("ZEL_PG_PORT"),
                 qEnvironmentVariable("ZEL_PG_DB"), qEnvironmentVariable("ZEL_PG_USER"),
                 qEnvironmentVariable("ZEL_PG_PASSWORD"));
    return QStringLiteral("Driver={SQLite3};Database=%1").arg(qEnvironmentVariable("ZEL_BENCH_DB"));
}

const char* const kIstruzione = "SELECT * FROM t";

void Prepara(const QString& driver, qint64 righe) {
    auto c = std::make_shared<ado::Connection>();
    c->ConnectionString = StringaOdbc(driver);
    c->CommandTimeout = 0;
    c->Open();
    PreparaTabella(c, driver == u"postgres", righe);
}

// Reads every value once; returns the characters seen.
qint64 Leggi(ado::Recordset& rs) {
    qint64 caratteri = 0;
    const ado::FieldList campi = rs.Fields();
    const int n = campi.Count();
    for (; !rs.Eof(); rs.MoveNext()) {
        for (int i = 0; i < n; ++i)
            caratteri += campi.Item(i).Value().testo.size();
    }
    return caratteri;
}

int LettoreAdo(const QString& driver) {
    auto c = std::make_shared<ado::Connection>();
    c->ConnectionString = StringaOdbc(driver);
    c->Open();
    ado::Recordset rs;
    rs.ActiveConnection = c;
    rs.Source = QString::fromLatin1(kIstruzione);
    QElapsedTimer t;
    t.start();
    rs.Open();
    const double apertura = double(t.elapsed()) / 1000.0;
    const double dopoOpen = AttualeMB();
    // The run walks the rows, then executes again and walks them again.
    t.restart();
    qint64 caratteri = Leggi(rs);
    rs.Close();
    rs.Open();
    caratteri += Leggi(rs);
    const double lettura = double(t.elapsed()) / 1000.0;
    std::printf("%-6s %-9s Open %6.2f s | lettura, Close, Open, lettura %6.2f s | righe %lld | "
                "memoria righe %7.1f MB | RSS dopo Open %7.1f MB | picco RSS %7.1f MB | "
                "caratteri %lld\n",
                "ado", qPrintable(driver), apertura, lettura, rs.RecordCount(),
                double(rs.MemoryBytes()) / 1048576.0, dopoOpen, PiccoMB(), caratteri / 2);
    return 0;
}

// The least any reader must do: execute, bind, fetch blocks of 1024 rows.
int LettorePavimento(const QString& driver) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    const QString stringa = StringaOdbc(driver);
    if (!SQL_SUCCEEDED(SQLDriverConnectW(
            dbc, nullptr, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(stringa.utf16())),
            SQLSMALLINT(stringa.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
        std::fprintf(stderr, "connessione non riuscita\n");
        return 1;
    }
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    QElapsedTimer t;
    t.start();
    const QString sql = QString::fromLatin1(kIstruzione);
    SQLExecDirectW(stmt, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(sql.utf16())),
                   SQLINTEGER(sql.size()));
    SQLSMALLINT colonne = 0;
    SQLNumResultCols(stmt, &colonne);
    const SQLULEN blocco = 1024;
    const auto n = std::size_t(colonne);
    std::vector<std::vector<SQLWCHAR>> dati(n);
    std::vector<std::vector<SQLLEN>> indicatori(n);
    std::vector<SQLULEN> larghezze(n);
    SQLULEN ottenute = 0;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blocco), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &ottenute, 0);
    for (SQLUSMALLINT i = 0; i < SQLUSMALLINT(colonne); ++i) {
        SQLSMALLINT tipo = 0, cifre = 0, nullabile = 0;
        SQLULEN dimensione = 0;
        SQLDescribeColW(stmt, SQLUSMALLINT(i + 1), nullptr, 0, nullptr, &tipo, &dimensione, &cifre,
                        &nullabile);
        larghezze[i] = dimensione + 33;
        dati[i].resize(larghezze[i] * blocco);
        indicatori[i].resize(blocco);
        SQLBindCol(stmt, SQLUSMALLINT(i + 1), SQL_C_WCHAR, dati[i].data(),
                   SQLLEN(larghezze[i] * sizeof(SQLWCHAR)), indicatori[i].data());
    }
    qint64 righe = 0;
    qint64 caratteri = 0;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        righe += qint64(ottenute);
        for (const auto& ind : indicatori) {
            for (SQLULEN r = 0; r < ottenute; ++r)
                caratteri += ind[r] > 0 ? ind[r] / 2 : 0;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    const double tempo = double(t.elapsed()) / 1000.0;
    std::printf("%-6s %-9s lettura %6.2f s | righe %lld | picco RSS %7.1f MB | caratteri %lld\n",
                "floor", qPrintable(driver), tempo, righe, PiccoMB(), caratteri);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 0;
}

// A private driver list, so that nothing under /etc is needed.
bool PreparaOdbc(const QTemporaryDir& cartella) {
    QFile f(cartella.filePath(QStringLiteral("odbcinst.ini")));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QStringLiteral("[SQLite3]\nDriver=%1\n\n[PostgreSQL Unicode]\nDriver=%2\n")
                .arg(zeltest::DriverOdbc(QStringLiteral("libsqlite3odbc.so")),
                     zeltest::DriverOdbc(QStringLiteral("psqlodbcw.so")))
                .toUtf8());
    f.close();
    QFile(cartella.filePath(QStringLiteral("odbc.ini"))).open(QIODevice::WriteOnly);
    qputenv("ODBCSYSINI", QFile::encodeName(cartella.path()));
    qputenv("ODBCINI", QFile::encodeName(cartella.filePath(QStringLiteral("odbc.ini"))));
    if (qEnvironmentVariable("ZEL_BENCH_DB").isEmpty())
        qputenv("ZEL_BENCH_DB", QFile::encodeName(cartella.filePath(QStringLiteral("bench.db"))));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    try {
        if (a.size() == 2 && a[0] == u"ado")
            return LettoreAdo(a[1]);
        if (a.size() == 2 && a[0] == u"floor")
            return LettorePavimento(a[1]);

        const qint64 righe = a.isEmpty() ? 1000000 : a[0].toLongLong();
        const QString driver = a.size() > 1 ? a[1] : QStringLiteral("sqlite");
        if (righe <= 0 || (driver != u"sqlite" && driver != u"postgres")) {
            std::fprintf(stderr, "uso: bench_ado [righe] [sqlite|postgres]\n");
            return 2;
        }
        if (driver == u"postgres" && qEnvironmentVariable("ZEL_PG_HOST").isEmpty()) {
            std::fprintf(stderr, "variabili ZEL_PG_* assenti: source scripts/lib/postgres.sh; "
                                 "pg_avvia\n");
            return 2;
        }
        QTemporaryDir cartella;
        if (!cartella.isValid() || !PreparaOdbc(cartella))
            return 1;
        QElapsedTimer t;
        t.start();
        Prepara(driver, righe);
        std::printf("%lld righe preparate su %s in %.1f s; istruzione: %s\n", righe,
                    qPrintable(driver), double(t.elapsed()) / 1000.0, kIstruzione);
        std::fflush(stdout);
        for (const char* modo : {"floor", "ado"}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedChannels);
            p.start(app.applicationFilePath(), {QString::fromLatin1(modo), driver});
            p.waitForFinished(-1);
            if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
                return 1;
        }
    } catch (const ado::Errore& e) {
        std::fprintf(stderr, "Errore: %s\n", e.what());
        return 1;
    }
    return 0;
}
