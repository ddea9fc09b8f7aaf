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

struct Recordset::Stato {
    enum class Condizione { Chiuso, SenzaRighe, Aperto };
    Condizione condizione = Condizione::Chiuso;
    std::vector<Colonna> colonne;
    // Shared with whoever keeps the rows after Close (see RigheLette).
    std::shared_ptr<Righe> righe; // none while closed
    qint64 senzaValori = 0;       // rows counted after the held ones
    qint64 corrente = 0;

    qint64 Totale() const { return righe->Conta() + senzaValori; }

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

} // namespace ado
