#pragma once
// What a Connection holds, shared with the recordsets that run statements on it.
#include "platform/ado/ado.h"
#include "platform/ado/odbc.h"

#include <atomic>
#include <mutex>

namespace ado {

struct Connection::Handles {
    odbc::Handle ambiente;
    odbc::Handle connessione;
    bool aperta = false;
    // The driver's SQL_GETDATA_EXTENSIONS: where SQLGetData may complete
    // a bound value (0 when the driver does not say).
    SQLUINTEGER estensioniGetData = 0;

    // The statement running now, for Cancel from another thread. Guarded by
    // `guardia`; a statement leaves it before its handle is freed.
    std::mutex guardia;
    SQLHSTMT attiva = SQL_NULL_HSTMT;
    std::atomic<bool> annullata = false;

    ~Handles();
};

// Makes a statement handle the connection's running one for its lifetime.
class IstruzioneAttiva {
  public:
    explicit IstruzioneAttiva(Connection::Handles& c);
    ~IstruzioneAttiva();
    IstruzioneAttiva(const IstruzioneAttiva&) = delete;
    IstruzioneAttiva& operator=(const IstruzioneAttiva&) = delete;

    const odbc::Handle& handle() const { return stmt_; }
    SQLHSTMT get() const { return stmt_.get(); }
    // Throws Errore when Cancel was asked since the statement began.
    void VerificaAnnullamento() const;

  private:
    Connection::Handles& c_;
    odbc::Handle stmt_;
};

} // namespace ado
