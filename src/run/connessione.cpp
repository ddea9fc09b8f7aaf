#include "run/connessione.h"

QString CostruisciConnessione(const QString& modo, const QString& odbc, const QString& sistema,
                              const QString& utente, const QString& password) {
    QString connessione;
    if (modo == QStringLiteral("ODBC")) {
        connessione = QStringLiteral("DSN=") + odbc + QStringLiteral(";;User ID=") + utente +
                      QStringLiteral(";;Password=") + password;
    }
    if (modo == QStringLiteral("OLEDB")) {
        connessione = QStringLiteral("Provider=IBMDA400.DataSource.1;Password=") + password +
                      QStringLiteral(";Persist Security Info=True;User ID=") + utente +
                      QStringLiteral(";Data Source=") + sistema;
    }
    return connessione;
}
