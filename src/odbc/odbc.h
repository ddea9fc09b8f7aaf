#pragma once
// The thin layer over the ODBC C API that the rest of the data-access code
// uses: one owner per handle, and one place that turns a failed call into an
// Errore carrying every diagnostic record of the handle.
#include "odbc/errore.h"

#include <QString>
#include <sql.h>
#include <sqlext.h>
#include <utility>

namespace ado::odbc {

// unixODBC's SQLWCHAR is a 16-bit unsigned short holding UTF-16, the same
// units as QString; only the pointer type differs.
inline SQLWCHAR* Testo(const QString& s) {
    return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(s.utf16()));
}
inline QString DaTesto(const SQLWCHAR* p, qsizetype n) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(p), n);
}

inline bool Riuscito(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA;
}

// Owns one ODBC handle; frees it on destruction and never throws there.
class Handle {
  public:
    Handle() = default;
    // Allocates a handle of `tipo` under `padre` (SQL_NULL_HANDLE for the
    // environment); throws Errore with the parent's records on failure.
    Handle(SQLSMALLINT tipo, const Handle& padre);
    explicit Handle(SQLSMALLINT tipo); // an environment
    ~Handle() { Libera(); }
    Handle(Handle&& altro) noexcept : tipo_(altro.tipo_), h_(std::exchange(altro.h_, nullptr)) {}
    Handle& operator=(Handle&& altro) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return h_; }
    SQLSMALLINT tipo() const { return tipo_; }
    explicit operator bool() const { return h_ != SQL_NULL_HANDLE; }
    void Libera() noexcept;

  private:
    SQLSMALLINT tipo_ = 0;
    SQLHANDLE h_ = SQL_NULL_HANDLE;
};

// Every diagnostic record of the handle, in the driver's order.
QList<Diagnostica> Diagnostiche(const Handle& h);

// The checking place for every call: when rc reports a failure, throws
// Errore(descrizione, records). The second form lets the caller choose the
// description after seeing the records.
void Verifica(SQLRETURN rc, const Handle& h, const QString& descrizione);
template <class Descrivi> void VerificaSpiegando(SQLRETURN rc, const Handle& h, Descrivi descrivi) {
    if (Riuscito(rc))
        return;
    QList<Diagnostica> record = Diagnostiche(h);
    throw Errore(descrivi(record), record);
}

// True when any record has this SQLSTATE.
bool Contiene(const QList<Diagnostica>& record, QStringView stato);

} // namespace ado::odbc
