#include "odbc/connessione.h"
#include "odbc/stringa_connessione.h"

#include <QRegularExpression>
#include <algorithm>

namespace ado {

namespace {

// What the user reads first when the connection fails: the driver's own
// records follow it.
QString DescriviConnessione(const QList<Diagnostica>& record, const QString& ado, qint32 attesa) {
    static const QRegularExpression libreria(QStringLiteral("Can't open lib '([^']*)'"));
    for (const Diagnostica& d : record) {
        QRegularExpressionMatch m = libreria.match(d.testo);
        if (m.hasMatch())
            return QStringLiteral("Il driver ODBC '%1' non è installato su questo computer.")
                .arg(m.captured(1));
    }
    if (odbc::Contiene(record, u"IM002")) {
        QString dsn;
        for (const auto& [chiave, valore] : AnalizzaStringaAdo(ado)) {
            if (chiave.compare(u"DSN", Qt::CaseInsensitive) == 0 ||
                chiave.compare(u"Data Source", Qt::CaseInsensitive) == 0)
                dsn = valore;
        }
        return dsn.isEmpty() ? QStringLiteral("Sorgente dati ODBC non trovata.")
                             : QStringLiteral("Sorgente dati ODBC non trovata: %1.").arg(dsn);
    }
    // psqlODBC reports its login time-out as 08001 with libpq's text.
    const bool scaduto = odbc::Contiene(record, u"HYT00") ||
                         std::any_of(record.begin(), record.end(), [](const Diagnostica& d) {
                             return d.testo.contains(u"timeout expired", Qt::CaseInsensitive);
                         });
    if (scaduto && attesa > 0)
        return QStringLiteral("Nessuna risposta dal server entro %1.").arg(Secondi(attesa));
    return QStringLiteral("Connessione alla sorgente dati non riuscita.");
}

} // namespace

Connection::Handles::~Handles() {
    if (aperta)
        SQLDisconnect(connessione.get());
}

Connection::Connection() : h_(std::make_unique<Handles>()) {}

Connection::~Connection() { Close(); }

bool Connection::IsOpen() const { return h_->aperta; }

void Connection::Open() {
    if (h_->aperta)
        throw Errore(QStringLiteral("La connessione è già aperta."));
    QString stringa = StringaOdbc(ConnectionString);

    Handles nuove;
    nuove.ambiente = odbc::Handle(SQL_HANDLE_ENV);
    odbc::Verifica(SQLSetEnvAttr(nuove.ambiente.get(), SQL_ATTR_ODBC_VERSION,
                                 reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                   nuove.ambiente, QStringLiteral("Versione ODBC 3 non disponibile."));
    nuove.connessione = odbc::Handle(SQL_HANDLE_DBC, nuove.ambiente);
    if (ConnectionTimeout > 0) {
        odbc::Verifica(
            SQLSetConnectAttr(nuove.connessione.get(), SQL_ATTR_LOGIN_TIMEOUT,
                              reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(ConnectionTimeout)),
                              0),
            nuove.connessione,
            QStringLiteral("Impossibile impostare il tempo massimo di connessione."));
    }
    SQLSMALLINT lunghezza = 0;
    SQLRETURN rc = SQLDriverConnectW(nuove.connessione.get(), nullptr, odbc::Testo(stringa),
                                     static_cast<SQLSMALLINT>(stringa.size()), nullptr, 0,
                                     &lunghezza, SQL_DRIVER_NOPROMPT);
    stringa.fill(QChar(0)); // holds the password
    odbc::VerificaSpiegando(rc, nuove.connessione, [&](const QList<Diagnostica>& record) {
        return DescriviConnessione(record, ConnectionString, ConnectionTimeout);
    });
    if (!SQL_SUCCEEDED(SQLGetInfo(nuove.connessione.get(), SQL_GETDATA_EXTENSIONS,
                                  &nuove.estensioniGetData, sizeof nuove.estensioniGetData,
                                  nullptr)))
        nuove.estensioniGetData = 0;
    h_->estensioniGetData = nuove.estensioniGetData;
    h_->ambiente = std::move(nuove.ambiente);
    h_->connessione = std::move(nuove.connessione);
    h_->aperta = true;
}

void Connection::Close() {
    if (!h_->aperta)
        return;
    SQLDisconnect(h_->connessione.get());
    h_->aperta = false;
    h_->connessione.Libera();
    h_->ambiente.Libera();
}

void Connection::Cancel() noexcept {
    std::lock_guard blocco(h_->guardia);
    h_->annullata = true;
    if (h_->attiva != SQL_NULL_HSTMT)
        SQLCancel(h_->attiva);
}

bool Connection::CancelSenzaAttesa() noexcept {
    std::unique_lock blocco(h_->guardia, std::try_to_lock);
    if (!blocco.owns_lock() || h_->attiva == SQL_NULL_HSTMT)
        return false;
    h_->annullata = true;
    return SQL_SUCCEEDED(SQLCancel(h_->attiva));
}

IstruzioneAttiva::IstruzioneAttiva(Connection::Handles& c)
    : c_(c), stmt_(SQL_HANDLE_STMT, c.connessione) {
    std::lock_guard blocco(c_.guardia);
    c_.attiva = stmt_.get();
}

IstruzioneAttiva::~IstruzioneAttiva() {
    std::lock_guard blocco(c_.guardia);
    c_.attiva = SQL_NULL_HSTMT;
}

void IstruzioneAttiva::VerificaAnnullamento() const {
    if (c_.annullata)
        throw Errore(QStringLiteral("Istruzione annullata."));
}

} // namespace ado
