#pragma once
// What a recordset holds, and the one execution of its statement that fills
// it: internals of the data-access layer, shared by recordset.cpp and
// lettura.cpp only.
#include "odbc/ado.h"
#include "odbc/odbc.h"
#include "odbc/righe.h"

#include <memory>
#include <vector>

namespace ado {

struct Colonna {
    QString nome;
    SQLSMALLINT tipo = 0;
    SQLULEN dimensione = 0;
    SQLSMALLINT cifre = 0;
    quint8 precisione = 255;
    quint8 scala = 255;
    bool numerico = false;
};

class Lettura;

struct Recordset::Stato {
    Stato();
    ~Stato();

    enum class Condizione { Chiuso, SenzaRighe, Aperto };
    Condizione condizione = Condizione::Chiuso;
    std::vector<Colonna> colonne;
    // Shared with whoever keeps the rows after Close (see RigheLette).
    std::shared_ptr<Righe> righe; // none while closed
    qint64 senzaValori = 0;       // rows counted after the held ones
    qint64 corrente = 0;
    // A forward-only cursor: the statement still being read (none once its
    // last block is in), and the index of the first row `righe` holds.
    std::unique_ptr<Lettura> flusso;
    qint64 primaRiga = 0;

    qint64 Totale() const { return primaRiga + righe->Conta() + senzaValori; }

    // The state every reading call needs; throws when there is nothing to read.
    const Stato& Leggibile() const {
        if (condizione == Condizione::SenzaRighe)
            throw Errore(
                QStringLiteral("L'istruzione non ha restituito righe: il recordset è chiuso."));
        if (condizione == Condizione::Chiuso)
            throw Errore(QStringLiteral("Il recordset è chiuso."));
        return *this;
    }
};

// Executes the statement once and fills `s`: its columns and its rows (with
// `soloConteggio`, the first row and the count of the others). Throws Errore;
// never executes again, whatever the values.
void Leggi(Recordset::Stato& s, Connection& c, const QString& sql, QString separatore,
           bool soloConteggio);

// A forward-only cursor: executes the statement once and reads its first
// block of rows into `s`, keeping the statement in s.flusso for the next.
void ApriFlusso(Recordset::Stato& s, Connection& c, const QString& sql, QString separatore);
// Replaces the rows held by the next block (none at the end, where the
// statement is freed). Throws Errore.
void AvanzaFlusso(Recordset::Stato& s);
// Frees the statement of a forward-only cursor, if any.
void ChiudiFlusso(Recordset::Stato& s);

} // namespace ado
