// Reading a statement's rows: how they are fetched (blocks of bound columns,
// row by row or cell by cell, from what the driver lets SQLGetData do), how
// a value longer than its column is completed in place, and the checks on
// what the driver hands back.
#include "odbc/lettura.h"

#include "odbc/blocco.h"
#include "odbc/connessione.h"
#include "odbc/righe.h"

#include <algorithm>
#include <vector>

namespace ado {

// How a statement's rows are fetched, from what the driver lets SQLGetData
// do: every way reads each value whole from one execution.
enum class ModoLettura {
    // Blocks of bound columns; a value that did not fit its buffer is read
    // again whole from its row of the block (SQLSetPos, then SQLGetData).
    Blocchi,
    // Bound columns one row at a time, where SQLGetData works on a bound
    // column of the current row but not within a block.
    RigaPerRiga,
    // SQLGetData for every cell.
    PerCella,
};

namespace {

// Rows per SQLFetch when columns are bound.
constexpr SQLULEN kRighePerBlocco = 1024;
// Widest bound cell, in characters; wider or unknown columns are read with
// SQLGetData. A value wider than its column announced is read again whole
// with SQLGetData, in place.
constexpr SQLULEN kLarghezzaMassima = 4000;
// The piece SQLGetData reads at a time, in characters (terminator included),
// and the largest it grows to when the driver tells how much is left.
constexpr qsizetype kPezzo = 8192;
constexpr SQLLEN kPezzoMassimo = SQLLEN(1) << 26;

quint8 Limita(qint64 n) { return n < 0 || n > 254 ? 255 : quint8(n); }

// Precision and scale from the SQL type: the drivers agree on little else.
void Classifica(Colonna& c) {
    c.precisione = 255;
    c.scala = 0;
    switch (c.tipo) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        c.precisione = Limita(c.dimensione == 0 ? -1 : qint64(c.dimensione));
        c.scala = Limita(c.cifre);
        c.numerico = true;
        break;
    case SQL_TINYINT:
        c.precisione = 3;
        break;
    case SQL_SMALLINT:
        c.precisione = 5;
        break;
    case SQL_INTEGER:
        c.precisione = 10;
        break;
    case SQL_BIGINT:
        c.precisione = 19;
        break;
    case SQL_REAL:
        c.precisione = 7;
        c.numerico = true;
        break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        c.precisione = 15;
        c.numerico = true;
        break;
    default:
        c.scala = 255;
    }
}

// Characters a bound cell needs for the column's text (terminator left
// out), or 0 when the column must be read with SQLGetData.
SQLULEN Larghezza(const Colonna& c) {
    switch (c.tipo) {
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_LONGVARBINARY:
        return 0;
    case SQL_BINARY:
    case SQL_VARBINARY:
        // Hexadecimal digits, and room for a driver that adds X'...'.
        return c.dimensione == 0 || c.dimensione > kLarghezzaMassima / 2 ? 0 : 2 * c.dimensione + 8;
    default:
        // Room for sign, decimal point, exponent and fractions of a second
        // that the column size leaves out.
        return c.dimensione == 0 || c.dimensione > kLarghezzaMassima ? 0 : c.dimensione + 32;
    }
}

QString DescriviEsecuzione(const QList<Diagnostica>& record, bool annullata, qint32 attesa) {
    if (annullata)
        return QStringLiteral("Istruzione annullata.");
    if (attesa > 0 && (odbc::Contiene(record, u"HYT00") || odbc::Contiene(record, u"57014")))
        return QStringLiteral("L'istruzione ha superato il tempo massimo di %1.")
            .arg(Secondi(attesa));
    return QStringLiteral("Esecuzione dell'istruzione non riuscita.");
}

// A column of unknown width (text, large objects) makes every cell go
// through SQLGetData: binding it would mostly read its values twice.
ModoLettura ScegliModo(SQLUINTEGER estensioni, const std::vector<Colonna>& colonne) {
    const bool ignota = std::any_of(colonne.begin(), colonne.end(),
                                    [](const Colonna& c) { return Larghezza(c) == 0; });
    if (ignota || (estensioni & SQL_GD_BOUND) == 0)
        return ModoLettura::PerCella;
    return (estensioni & SQL_GD_BLOCK) != 0 ? ModoLettura::Blocchi : ModoLettura::RigaPerRiga;
}

} // namespace

// One execution of the statement, filling the recordset's rows a block at a
// time.
class Lettura final : Completamento {
  public:
    Lettura(Recordset::Stato& s, Connection& c, QString separatore, bool soloConteggio)
        : s_(s), c_(c), separatore_(std::move(separatore)), soloConteggio_(soloConteggio),
          stmt_(c.handles()), pezzo_(kPezzo) {}

    // Executes the statement and learns its columns; a statement with rows
    // leaves the recordset open on none of them yet.
    void Esegui(const QString& sql, bool largo) {
        stmt_.VerificaAnnullamento();
        if (c_.CommandTimeout > 0) {
            odbc::Verifica(
                SQLSetStmtAttr(
                    stmt_.get(), SQL_ATTR_QUERY_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(c_.CommandTimeout)), 0),
                stmt_.handle(),
                QStringLiteral("Impossibile impostare il tempo massimo dell'istruzione."));
        }
        const SQLRETURN rc =
            SQLExecDirectW(stmt_.get(), odbc::Testo(sql), static_cast<SQLINTEGER>(sql.size()));
        odbc::VerificaSpiegando(rc, stmt_.handle(), [&](const QList<Diagnostica>& record) {
            return DescriviEsecuzione(record, c_.handles().annullata, c_.CommandTimeout);
        });
        SQLSMALLINT n = 0;
        odbc::Verifica(SQLNumResultCols(stmt_.get(), &n), stmt_.handle(),
                       QStringLiteral("Impossibile conoscere le colonne del risultato."));
        if (n == 0) {
            s_.condizione = Recordset::Stato::Condizione::SenzaRighe;
            return;
        }
        s_.colonne.clear();
        for (SQLUSMALLINT i = 1; i <= n; ++i)
            s_.colonne.push_back(Descrivi(i));
        // A fresh set: the previous one may still be held by someone else.
        s_.righe = std::make_shared<Righe>();
        s_.righe->Azzera(n, largo);
        s_.senzaValori = 0;
        s_.primaRiga = 0;

        modo_ = ScegliModo(c_.handles().estensioniGetData, s_.colonne);
        if (modo_ != ModoLettura::PerCella)
            Lega(modo_ == ModoLettura::Blocchi ? kRighePerBlocco : 1);
        s_.condizione = Recordset::Stato::Condizione::Aperto;
        s_.corrente = 0;
    }

    // Appends the next rows, up to a block of them, to the recordset's
    // (counting only: the first row, and the count of every other); false
    // when there were none left.
    bool Blocco() {
        const qint64 prima = s_.Totale();
        for (SQLULEN letti = 0; letti < kRighePerBlocco && !fine_;) {
            if (modo_ == ModoLettura::PerCella)
                LeggiRigaPerCella();
            else
                LeggiLegate();
            letti += ottenute_;
        }
        return s_.Totale() > prima;
    }
    bool Finita() const { return fine_; }

  private:
    Colonna Descrivi(SQLUSMALLINT i) {
        Colonna c;
        QList<SQLWCHAR> nome(256);
        SQLSMALLINT lunghezza = 0;
        SQLSMALLINT nullabile = 0;
        for (;;) {
            odbc::Verifica(
                SQLDescribeColW(stmt_.get(), i, nome.data(), static_cast<SQLSMALLINT>(nome.size()),
                                &lunghezza, &c.tipo, &c.dimensione, &c.cifre, &nullabile),
                stmt_.handle(),
                QStringLiteral("Impossibile conoscere la colonna %1 del risultato.").arg(i));
            // The SQLite3 driver cuts a long name to the room given without
            // saying so, and under a UTF-8 locale counts the name's bytes,
            // not its characters: a name that fills the room is asked again
            // with more, and it ends at its terminator.
            constexpr qsizetype Massimo = 32767;
            if (lunghezza < nome.size() - 1 || nome.size() == Massimo)
                break;
            nome.resize(std::min(std::max<qsizetype>(lunghezza + 1, 2 * nome.size()), Massimo));
        }
        const qsizetype fine = std::clamp<qsizetype>(lunghezza, 0, nome.size() - 1);
        c.nome =
            odbc::DaTesto(nome.data(), std::find(nome.cbegin(), nome.cbegin() + fine, SQLWCHAR(0)) -
                                           nome.cbegin());
        Classifica(c);
        return c;
    }

    void Verifica(SQLRETURN rc) {
        odbc::Verifica(rc, stmt_.handle(), QStringLiteral("Lettura delle righe non riuscita."));
    }

    void Aggiungi(const Colonna& c, QStringView testo) {
        if (c.numerico)
            s_.righe->Appendi(testo, separatore_);
        else
            s_.righe->Appendi(testo);
    }

    // Rows per fetch, and where the driver tells how many came and how each
    // of them went.
    void Blocchi(SQLULEN righe, SQLULEN* ottenute, SQLUSMALLINT* stato) {
        Verifica(SQLSetStmtAttr(stmt_.get(), SQL_ATTR_ROW_ARRAY_SIZE,
                                reinterpret_cast<SQLPOINTER>(righe), 0));
        Verifica(SQLSetStmtAttr(stmt_.get(), SQL_ATTR_ROWS_FETCHED_PTR, ottenute, 0));
        Verifica(SQLSetStmtAttr(stmt_.get(), SQL_ATTR_ROW_STATUS_PTR, stato, 0));
    }

    // Fetches the next block; false at the end. A cancel is honoured first.
    bool Prossimo(SQLULEN& ottenute, SQLRETURN& rc) {
        stmt_.VerificaAnnullamento();
        ottenute = 0;
        rc = SQLFetch(stmt_.get());
        if (rc == SQL_NO_DATA)
            return false;
        Verifica(rc);
        return true;
    }

    // Binds every column to arrays of `capienza` rows.
    void Lega(SQLULEN capienza) {
        capienza_ = capienza;
        buffer_.reserve(s_.colonne.size());
        for (const Colonna& c : s_.colonne) {
            const SQLULEN larghezza = Larghezza(c) + 1;
            buffer_.push_back(
                {std::vector<SQLWCHAR>(larghezza * capienza), std::vector<SQLLEN>(capienza)});
            legate_.push_back({buffer_.back().dati.data(), buffer_.back().indicatori.data(),
                               larghezza, c.numerico});
        }
        statoRighe_.resize(capienza);
        Verifica(SQLSetStmtAttr(stmt_.get(), SQL_ATTR_ROW_BIND_TYPE,
                                reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0));
        Blocchi(capienza, &ottenute_, statoRighe_.data());
        for (std::size_t i = 0; i < legate_.size(); ++i) {
            const ColonnaLegata& l = legate_[i];
            Verifica(SQLBindCol(stmt_.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_C_WCHAR,
                                buffer_[i].dati.data(), SQLLEN(l.larghezza * sizeof(SQLWCHAR)),
                                buffer_[i].indicatori.data()));
        }
        posiziona_ = capienza > 1;
    }

    // One fetch of bound columns; values that did not fit are read again
    // whole, in place.
    void LeggiLegate() {
        SQLRETURN rc = SQL_SUCCESS;
        if (!Prossimo(ottenute_, rc)) {
            fine_ = true;
            return;
        }
        const bool avviso = rc == SQL_SUCCESS_WITH_INFO;
        if (soloConteggio_) {
            // The first row is held, the others only counted.
            Converti({legate_, statoRighe_.data(), capienza_, std::min<SQLULEN>(ottenute_, 1),
                      avviso, s_.primaRiga},
                     *s_.righe, separatore_, *this);
            ContaRighe(statoRighe_.data(), capienza_, 1, ottenute_);
            ContaResto();
            fine_ = true;
            return;
        }
        Converti({legate_, statoRighe_.data(), capienza_, ottenute_, avviso, s_.primaRiga},
                 *s_.righe, separatore_, *this);
    }

    // Counts the rows still to fetch, in blocks with nothing bound: the
    // driver converts no value of theirs.
    void ContaResto() {
        SQLULEN ottenute = 0;
        std::vector<SQLUSMALLINT> statoRighe(kRighePerBlocco);
        Verifica(SQLFreeStmt(stmt_.get(), SQL_UNBIND));
        Blocchi(kRighePerBlocco, &ottenute, statoRighe.data());
        SQLRETURN rc = SQL_SUCCESS;
        while (Prossimo(ottenute, rc)) {
            ContaRighe(statoRighe.data(), kRighePerBlocco, 0, ottenute);
        }
    }

    // Counts rows da..ottenute of a fetched block, checking what the driver
    // says of them.
    void ContaRighe(const SQLUSMALLINT* statoRighe, SQLULEN capienza, SQLULEN da,
                    SQLULEN ottenute) {
        if (ottenute > capienza)
            throw Errore(QStringLiteral("Il driver ODBC dice di aver letto %1 righe in un blocco "
                                        "che ne può contenere %2.")
                             .arg(ottenute)
                             .arg(capienza));
        for (SQLULEN r = da; r < ottenute; ++r) {
            if (statoRighe[r] == SQL_ROW_ERROR)
                throw Errore(QStringLiteral("Lettura della riga %1 del risultato non riuscita.")
                                 .arg(s_.Totale() + qint64(r - da) + 1),
                             Diagnostiche());
        }
        if (ottenute > da)
            s_.senzaValori += qint64(ottenute - da);
    }

    bool Completa(SQLULEN riga, std::size_t colonna) override {
        if (posiziona_)
            Verifica(SQLSetPos(stmt_.get(), riga + 1, SQL_POSITION, SQL_LOCK_NO_CHANGE));
        return LeggiCella(colonna);
    }

    QList<Diagnostica> Diagnostiche() override { return odbc::Diagnostiche(stmt_.handle()); }

    // Appends the whole value of a column of the current row, read with
    // SQLGetData a piece at a time; true when it is NULL.
    bool LeggiCella(std::size_t i) {
        const qint64 riga = s_.primaRiga + s_.righe->Conta() + 1;
        // What the driver said was left to read: it must shrink at every
        // piece, or a driver could keep the loop going for ever.
        SQLLEN restante = -1;
        bool nullo = false;
        for (;;) {
            const SQLLEN capienza = SQLLEN((pezzo_.size() - 1) * sizeof(SQLWCHAR));
            SQLLEN byte = 0;
            const SQLRETURN rc =
                SQLGetData(stmt_.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_C_WCHAR,
                           pezzo_.data(), SQLLEN(pezzo_.size() * sizeof(SQLWCHAR)), &byte);
            if (rc == SQL_NO_DATA)
                break;
            Verifica(rc);
            if (byte == SQL_NULL_DATA) {
                nullo = true;
                break;
            }
            const bool intero =
                LunghezzaValida(byte, capienza, rc == SQL_SUCCESS_WITH_INFO, riga, i);
            Aggiungi(s_.colonne[i], QStringView(reinterpret_cast<const char16_t*>(pezzo_.data()),
                                                (intero ? byte : capienza) / 2));
            if (intero)
                break;
            if (byte != SQL_NO_TOTAL) {
                if (restante >= 0 && byte > restante)
                    throw Errore(QStringLiteral("Il driver ODBC ha restituito un valore non "
                                                "valido alla riga %1, colonna %2: la sua "
                                                "lunghezza cresce a ogni lettura.")
                                     .arg(riga)
                                     .arg(i + 1));
                restante = byte - capienza;
                // The rest in one piece: the SQLite3 driver converts all of
                // it at every call, which made a long value quadratic.
                const auto caratteri = std::size_t(std::min(restante / 2, kPezzoMassimo) + 1);
                if (caratteri > pezzo_.size())
                    pezzo_ = std::vector<SQLWCHAR>(caratteri);
            }
        }
        if (pezzo_.size() > std::size_t(kPezzo))
            pezzo_ = std::vector<SQLWCHAR>(kPezzo);
        return nullo;
    }

    // One row, every cell read with SQLGetData.
    void LeggiRigaPerCella() {
        ottenute_ = 0;
        stmt_.VerificaAnnullamento();
        const SQLRETURN rc = SQLFetch(stmt_.get());
        if (rc == SQL_NO_DATA) {
            fine_ = true;
            return;
        }
        Verifica(rc);
        ottenute_ = 1;
        for (std::size_t i = 0; i < s_.colonne.size(); ++i)
            s_.righe->ChiudiCella(LeggiCella(i));
        if (soloConteggio_) {
            ContaResto();
            fine_ = true;
        }
    }

    struct Buffer {
        std::vector<SQLWCHAR> dati;
        std::vector<SQLLEN> indicatori;
    };

    Recordset::Stato& s_;
    Connection& c_;
    const QString separatore_;
    const bool soloConteggio_;
    IstruzioneAttiva stmt_;
    std::vector<SQLWCHAR> pezzo_;
    ModoLettura modo_ = ModoLettura::PerCella;
    // The bound columns' arrays, where SQLFetch leaves a block.
    std::vector<Buffer> buffer_;
    std::vector<ColonnaLegata> legate_;
    std::vector<SQLUSMALLINT> statoRighe_;
    SQLULEN capienza_ = 0;
    SQLULEN ottenute_ = 0;
    bool posiziona_ = false;
    bool fine_ = false;
};

Recordset::Stato::Stato() = default;
Recordset::Stato::~Stato() = default;

void Leggi(Recordset::Stato& s, Connection& c, const QString& sql, QString separatore,
           bool soloConteggio) {
    Lettura l(s, c, std::move(separatore), soloConteggio);
    l.Esegui(sql, false);
    if (s.condizione != Recordset::Stato::Condizione::Aperto)
        return;
    while (l.Blocco()) {
    }
}

void ApriFlusso(Recordset::Stato& s, Connection& c, const QString& sql, QString separatore) {
    s.flusso = std::make_unique<Lettura>(s, c, std::move(separatore), false);
    s.flusso->Esegui(sql, true);
    if (s.condizione == Recordset::Stato::Condizione::Aperto)
        AvanzaFlusso(s);
    else
        s.flusso.reset();
}

void ChiudiFlusso(Recordset::Stato& s) { s.flusso.reset(); }

void AvanzaFlusso(Recordset::Stato& s) {
    s.primaRiga += s.righe->Conta();
    s.righe->Svuota();
    s.flusso->Blocco();
    // At the end the statement, and the driver's copy of the rows, go.
    if (s.flusso->Finita())
        s.flusso.reset();
}

} // namespace ado
