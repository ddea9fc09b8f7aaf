#include "odbc/connessione.h"
#include "odbc/lettura.h"
#include "odbc/memoria.h"
#include "odbc/righe.h"

#include <algorithm>
#include <vector>

namespace ado {

Recordset::Recordset() : s_(std::make_unique<Stato>()) {}

Recordset::~Recordset() = default;

bool Recordset::IsOpen() const { return s_->condizione == Stato::Condizione::Aperto; }

void Recordset::Open() {
    if (IsOpen())
        throw Errore(QStringLiteral("Il recordset è già aperto."));
    if (!ActiveConnection || !ActiveConnection->IsOpen())
        throw Errore(QStringLiteral("Il recordset non ha una connessione aperta."));
    if (Source.trimmed().isEmpty())
        throw Errore(QStringLiteral("Nessuna istruzione SQL da eseguire."));
    Close();
    ActiveConnection->handles().annullata = false;
    try {
        if (CursorType == adOpenForwardOnly && !SoloConteggio) {
            ApriFlusso(*s_, *ActiveConnection, Source, Locale.decimalPoint());
            return;
        }
        // One execution, whatever the values: a failure is never retried,
        // so a statement with side effects has them once.
        Leggi(*s_, *ActiveConnection, Source, Locale.decimalPoint(), SoloConteggio);
        // The statement is freed by now, and the driver's copy of the rows
        // with it: when the rows are kept, its pages go back to the system
        // before our rows take their final form, so that the two never add
        // up, and ours are the one copy that stays. A count keeps only its
        // first row: what it freed serves the next execution as it is.
        const bool tiene = !SoloConteggio;
        if (s_->righe) {
            if (tiene)
                memoria::Restituisci();
            s_->righe->Compatta();
            if (tiene)
                memoria::Restituisci();
        }
    } catch (...) {
        Close();
        throw;
    }
}

void Recordset::Close() {
    ChiudiFlusso(*s_);
    s_->condizione = Stato::Condizione::Chiuso;
    s_->colonne.clear();
    s_->righe.reset();
    s_->senzaValori = 0;
    s_->corrente = 0;
    s_->primaRiga = 0;
}

bool Recordset::Eof() const {
    const Stato& s = s_->Leggibile();
    return s.corrente >= s.Totale();
}

void Recordset::MoveNext() {
    if (Eof())
        throw Errore(QStringLiteral("Non ci sono altri record: il recordset è alla fine."));
    ++s_->corrente;
    if (s_->flusso != nullptr && s_->corrente >= s_->Totale()) {
        try {
            AvanzaFlusso(*s_);
        } catch (...) {
            Close();
            throw;
        }
    }
}

FieldList Recordset::Fields() const {
    s_->Leggibile();
    return FieldList(*this);
}

qint64 Recordset::RecordCount() const { return IsOpen() ? s_->Totale() : 0; }

qint64 Recordset::MemoryBytes() const { return s_->righe ? s_->righe->Byte() : 0; }

std::shared_ptr<const Righe> Recordset::RigheLette() const {
    s_->Leggibile();
    return s_->righe;
}

int FieldList::Count() const { return int(rs_->stato().Leggibile().colonne.size()); }

Field FieldList::Item(int i) const {
    const int n = Count();
    if (i < 0 || i >= n)
        throw Errore(QStringLiteral("Il campo %1 non esiste: il risultato ha %2 campi (da 0 a %3).")
                         .arg(i)
                         .arg(n)
                         .arg(n - 1));
    return Field(*rs_, i);
}

QString Field::Name() const { return rs_->stato().Leggibile().colonne[std::size_t(i_)].nome; }

quint8 Field::Precision() const {
    return rs_->stato().Leggibile().colonne[std::size_t(i_)].precisione;
}

quint8 Field::NumericScale() const {
    return rs_->stato().Leggibile().colonne[std::size_t(i_)].scala;
}

Valore Field::Value() const {
    const Recordset::Stato& s = rs_->stato().Leggibile();
    if (s.corrente >= s.Totale())
        throw Errore(QStringLiteral("Nessun record corrente: il recordset è alla fine."));
    const qint64 riga = s.corrente - s.primaRiga;
    if (riga >= s.righe->Conta())
        throw Errore(QStringLiteral("Il recordset ha contato questo record senza leggerne i "
                                    "valori."));
    return s.righe->Cella(riga, i_);
}

} // namespace ado
