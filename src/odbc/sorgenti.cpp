#include "odbc/sorgenti.h"

#include "odbc/odbc.h"

#include <algorithm>
#include <array>

namespace ado {

QStringList SorgentiDati() {
    QStringList nomi;
    try {
        const odbc::Handle ambiente(SQL_HANDLE_ENV);
        SQLSetEnvAttr(ambiente.get(), SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<quintptr>(SQL_OV_ODBC3)), 0);
        for (const SQLUSMALLINT primo :
             {SQLUSMALLINT{SQL_FETCH_FIRST_USER}, SQLUSMALLINT{SQL_FETCH_FIRST_SYSTEM}}) {
            std::array<SQLWCHAR, 256> nome{};
            std::array<SQLWCHAR, 256> descrizione{};
            SQLSMALLINT lunghezza = 0;
            SQLSMALLINT lunghezzaDescrizione = 0;
            for (SQLUSMALLINT direzione = primo;; direzione = SQL_FETCH_NEXT) {
                const SQLRETURN rc = SQLDataSourcesW(
                    ambiente.get(), direzione, nome.data(), SQLSMALLINT{nome.size()}, &lunghezza,
                    descrizione.data(), SQLSMALLINT{descrizione.size()}, &lunghezzaDescrizione);
                if (!SQL_SUCCEEDED(rc)) {
                    break;
                }
                // A name longer than the buffer comes back cut.
                const qsizetype n = std::clamp<qsizetype>(lunghezza, 0, nome.size() - 1);
                const QString letto = odbc::DaTesto(nome.data(), n);
                if (!letto.isEmpty()) {
                    nomi << letto;
                }
            }
        }
    } catch (const Errore&) {
        return {};
    }
    nomi.sort(Qt::CaseInsensitive);
    nomi.removeDuplicates();
    return nomi;
}

} // namespace ado
