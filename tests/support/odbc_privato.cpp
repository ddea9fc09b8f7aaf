#include "support/odbc_privato.h"

#include "support/driver_odbc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zeltest {

namespace {

QString Driver(const QString& nome) {
    const QString percorso = DriverOdbc(nome);
    if (percorso.isEmpty())
        qFatal("Driver ODBC mancante: %s", qPrintable(nome));
    return percorso;
}

QString Variabile(const char* nome) { return qEnvironmentVariable(nome); }

void Scrivi(const QString& percorso, const QString& testo) {
    QFile f(percorso);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("Impossibile scrivere %s", qPrintable(percorso));
    f.write(testo.toUtf8());
}

struct Configurazione {
    QTemporaryDir cartella;

    Configurazione() {
        if (!cartella.isValid())
            qFatal("Cartella temporanea non disponibile");
        const QString dir = cartella.path();
        Scrivi(dir + QStringLiteral("/odbcinst.ini"),
               QStringLiteral("[SQLite3]\nDriver=%1\n\n"
                              "[PostgreSQL Unicode]\nDriver=%2\n\n"
                              "[Zel Driver Mancante]\nDriver=%3/libzelmancante.so\n")
                   .arg(Driver(QStringLiteral("libsqlite3odbc.so")),
                        Driver(QStringLiteral("psqlodbcw.so")), dir));
        QString dsn = QStringLiteral("[ZELTEST_SQLITE]\nDriver=SQLite3\nDatabase=%1\n\n"
                                     "[ZELTEST_SENZA_DRIVER]\nDriver=Zel Driver Mancante\n\n")
                          .arg(dir + QStringLiteral("/zeltest.db"));
        if (postgresDisponibile()) {
            dsn += QStringLiteral("[ZELTEST_PG]\nDriver=PostgreSQL Unicode\nServername=%1\n"
                                  "Port=%2\nDatabase=%3\nSSLMode=disable\n")
                       .arg(Variabile("ZEL_PG_HOST"), Variabile("ZEL_PG_PORT"),
                            Variabile("ZEL_PG_DB"));
        }
        Scrivi(dir + QStringLiteral("/odbc.ini"), dsn);
        Scrivi(dir + QStringLiteral("/utente.ini"), QString());
        qputenv("ODBCSYSINI", QFile::encodeName(dir));
        qputenv("ODBCINI", QFile::encodeName(dir + QStringLiteral("/utente.ini")));
    }
};

Configurazione& Config() {
    static Configurazione c;
    return c;
}

} // namespace

QString PreparaOdbc() { return Config().cartella.path(); }

QString FileSqlite() { return PreparaOdbc() + QStringLiteral("/zeltest.db"); }

QString StringaSqlite() { return QStringLiteral("DSN=ZELTEST_SQLITE"); }

QString StringaPostgres() {
    return QStringLiteral("DSN=ZELTEST_PG;User ID=%1;Password=%2")
        .arg(Variabile("ZEL_PG_USER"), Variabile("ZEL_PG_PASSWORD"));
}

QString StringaSenzaDriver() { return QStringLiteral("DSN=ZELTEST_SENZA_DRIVER"); }

void AggiungiDsn(const QString& nome, const QStringList& righe) {
    const QString percorso = PreparaOdbc() + QStringLiteral("/odbc.ini");
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("Impossibile leggere %s", qPrintable(percorso));
    // Every line but those of a section with this name.
    QStringList tenute;
    bool dentro = false;
    const QString intestazione = u'[' + nome + u']';
    for (const QString& riga : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (riga.startsWith(u'['))
            dentro = riga.trimmed().compare(intestazione, Qt::CaseInsensitive) == 0;
        if (!dentro)
            tenute << riga;
    }
    f.close();
    Scrivi(percorso, tenute.join(u'\n').trimmed() + QStringLiteral("\n\n") + intestazione + u'\n' +
                         righe.join(u'\n') + u'\n');
}

bool postgresDisponibile() {
    for (const char* nome : {"ZEL_PG_HOST", "ZEL_PG_PORT", "ZEL_PG_DB", "ZEL_PG_USER"}) {
        if (Variabile(nome).isEmpty())
            return false;
    }
    return true;
}

std::shared_ptr<ado::Connection> Connetti(const QString& stringa) {
    PreparaOdbc();
    auto c = std::make_shared<ado::Connection>();
    c->ConnectionString = stringa;
    c->Open();
    return c;
}

void Esegui(const std::shared_ptr<ado::Connection>& c, const QStringList& istruzioni) {
    for (const QString& sql : istruzioni) {
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = sql;
        rs.Open();
    }
}

} // namespace zeltest
