#include "odbc/blocco.h"

namespace ado {

namespace {

[[noreturn]] void Rifiuta(const QString& perche, qint64 riga, std::size_t colonna) {
    throw Errore(QStringLiteral("Il driver ODBC ha restituito un valore non valido alla riga %1, "
                                "colonna %2: %3")
                     .arg(riga)
                     .arg(colonna + 1)
                     .arg(perche));
}

bool RigaConDati(SQLUSMALLINT stato) {
    return stato == SQL_ROW_SUCCESS || stato == SQL_ROW_SUCCESS_WITH_INFO ||
           stato == SQL_ROW_UPDATED || stato == SQL_ROW_ADDED;
}

} // namespace

bool LunghezzaValida(SQLLEN byte, SQLLEN capienza, bool avviso, qint64 riga, std::size_t colonna) {
    if (byte >= 0 && byte <= capienza) {
        if (byte % 2 != 0)
            Rifiuta(
                QStringLiteral("una lunghezza dispari (%1 byte) per un testo UTF-16.").arg(byte),
                riga, colonna);
        return true;
    }
    if (byte == SQL_NO_TOTAL)
        return false;
    if (byte < 0)
        Rifiuta(QStringLiteral("una lunghezza negativa (%1).").arg(byte), riga, colonna);
    if (!avviso)
        Rifiuta(QStringLiteral("una lunghezza di %1 byte, oltre i %2 byte a disposizione, senza "
                               "segnalare un troncamento.")
                    .arg(byte)
                    .arg(capienza),
                riga, colonna);
    return false;
}

void Converti(const Blocco& b, Righe& righe, QStringView separatore, Completamento& completa) {
    if (b.ottenute > b.capienza)
        throw Errore(QStringLiteral("Il driver ODBC dice di aver letto %1 righe in un blocco che "
                                    "ne può contenere %2.")
                         .arg(b.ottenute)
                         .arg(b.capienza));
    for (SQLULEN r = 0; r < b.ottenute; ++r) {
        const qint64 riga = b.primaRiga + righe.Conta() + 1;
        const SQLUSMALLINT stato = b.statoRighe[r];
        if (stato == SQL_ROW_ERROR)
            throw Errore(
                QStringLiteral("Lettura della riga %1 del risultato non riuscita.").arg(riga),
                completa.Diagnostiche());
        if (!RigaConDati(stato))
            throw Errore(QStringLiteral("Il driver ODBC ha dato alla riga %1 del risultato uno "
                                        "stato non previsto (%2).")
                             .arg(riga)
                             .arg(stato));
        for (std::size_t i = 0; i < b.colonne.size(); ++i) {
            const ColonnaLegata& c = b.colonne[i];
            const SQLLEN byte = c.indicatori[r];
            if (byte == SQL_NULL_DATA) {
                righe.ChiudiCella(true);
                continue;
            }
            const auto spazio = SQLLEN((c.larghezza - 1) * sizeof(SQLWCHAR));
            if (!LunghezzaValida(byte, spazio, b.troncamentiAmmessi, riga, i)) {
                righe.ChiudiCella(completa.Completa(r, i));
                continue;
            }
            const QStringView testo(reinterpret_cast<const char16_t*>(c.dati + r * c.larghezza),
                                    qsizetype(byte / 2));
            if (c.numerico)
                righe.Appendi(testo, separatore);
            else
                righe.Appendi(testo);
            righe.ChiudiCella(false);
        }
    }
}

} // namespace ado
