#include "odbc/odbc.h"

#include <algorithm>

namespace ado::odbc {

Handle::Handle(SQLSMALLINT tipo, const Handle& padre) : tipo_(tipo) {
    Verifica(SQLAllocHandle(tipo, padre.get(), &h_), padre,
             QStringLiteral("Impossibile allocare una risorsa ODBC."));
}

Handle::Handle(SQLSMALLINT tipo) : tipo_(tipo) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(tipo, SQL_NULL_HANDLE, &h_))) {
        h_ = SQL_NULL_HANDLE;
        throw Errore(QStringLiteral("Impossibile inizializzare il gestore dei driver ODBC."));
    }
}

Handle& Handle::operator=(Handle&& altro) noexcept {
    if (this != &altro) {
        Libera();
        tipo_ = altro.tipo_;
        h_ = std::exchange(altro.h_, nullptr);
    }
    return *this;
}

void Handle::Libera() noexcept {
    if (h_ != SQL_NULL_HANDLE)
        SQLFreeHandle(tipo_, h_);
    h_ = SQL_NULL_HANDLE;
}

QList<Diagnostica> Diagnostiche(const Handle& h) {
    QList<Diagnostica> record;
    if (!h)
        return record;
    // Ample room at the first try: psqlODBC hands the rest of a message that
    // did not fit out as further records.
    QList<SQLWCHAR> testo(4096);
    for (SQLSMALLINT n = 1;; ++n) {
        SQLWCHAR stato[6] = {};
        SQLINTEGER nativo = 0;
        SQLSMALLINT lunghezza = 0;
        SQLRETURN rc;
        for (;;) {
            rc = SQLGetDiagRecW(h.tipo(), h.get(), n, stato, &nativo, testo.data(),
                                static_cast<SQLSMALLINT>(testo.size()), &lunghezza);
            if (rc != SQL_SUCCESS_WITH_INFO || lunghezza < testo.size() || testo.size() >= 32767)
                break;
            testo.resize(qMin(lunghezza + 1, 32767));
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        record.append({DaTesto(stato, 5), nativo,
                       DaTesto(testo.data(), qBound(0, int(lunghezza), int(testo.size() - 1)))});
    }
    return record;
}

void Verifica(SQLRETURN rc, const Handle& h, const QString& descrizione) {
    VerificaSpiegando(rc, h, [&](const QList<Diagnostica>&) { return descrizione; });
}

bool Contiene(const QList<Diagnostica>& record, QStringView stato) {
    return std::any_of(record.begin(), record.end(),
                       [&](const Diagnostica& d) { return d.stato == stato; });
}

} // namespace ado::odbc
