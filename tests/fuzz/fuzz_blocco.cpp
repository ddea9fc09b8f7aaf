// The conversion of a fetched block, under whatever a driver may hand back:
// any count of rows fetched, any row states, any lengths, any buffer bytes.
// Either it refuses the block, or every cell reads as the rules say: NULL,
// the buffer's text up to the stated length (numbers with the separator),
// or the whole value the statement reads again. The sanitizers catch any
// read outside the buffers.
#include "fuzz_comune.h"
#include "odbc/blocco.h"

#include <vector>

namespace {

const QString Completo = QStringLiteral("<completo>");

class Finta : public ado::Completamento {
  public:
    explicit Finta(ado::Righe& r) : righe_(r) {}
    bool Completa(SQLULEN, std::size_t) override {
        righe_.Appendi(Completo);
        return false;
    }
    QList<ado::Diagnostica> Diagnostiche() override { return {}; }

  private:
    ado::Righe& righe_;
};

SQLLEN Indicatore(FuzzedDataProvider& dati, SQLULEN larghezza) {
    switch (dati.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return SQL_NULL_DATA;
    case 1:
        return SQL_NO_TOTAL;
    case 2:
        return dati.ConsumeIntegral<SQLLEN>();
    default:
        return dati.ConsumeIntegralInRange<SQLLEN>(-6, SQLLEN(2 * larghezza + 4));
    }
}

struct Colonna {
    std::vector<SQLWCHAR> dati;
    std::vector<SQLLEN> indicatori;
    ado::ColonnaLegata legata;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* byte, size_t n) {
    FuzzedDataProvider dati(byte, n);
    const SQLULEN capienza = dati.ConsumeIntegralInRange<SQLULEN>(1, 8);
    const auto colonne = dati.ConsumeIntegralInRange<std::size_t>(1, 4);
    const SQLULEN ottenute = dati.ConsumeIntegralInRange<SQLULEN>(0, capienza + 2);
    const bool avvisi = dati.ConsumeBool();
    const QString separatore = dati.ConsumeBool() ? QStringLiteral(",") : QStringLiteral(".");

    std::vector<Colonna> c(colonne);
    std::vector<ado::ColonnaLegata> legate;
    for (Colonna& col : c) {
        const auto larghezza = dati.ConsumeIntegralInRange<SQLULEN>(1, 6);
        col.dati.resize(larghezza * capienza);
        for (SQLWCHAR& w : col.dati)
            w = dati.ConsumeBool() ? SQLWCHAR(u'.') : dati.ConsumeIntegral<SQLWCHAR>();
        for (SQLULEN r = 0; r < capienza; ++r)
            col.indicatori.push_back(Indicatore(dati, larghezza));
        legate.push_back({col.dati.data(), col.indicatori.data(), larghezza, dati.ConsumeBool()});
    }
    std::vector<SQLUSMALLINT> stato(capienza);
    for (SQLUSMALLINT& s : stato)
        s = dati.ConsumeIntegralInRange(0, 7) == 0 ? dati.ConsumeIntegral<SQLUSMALLINT>()
                                                   : SQLUSMALLINT(SQL_ROW_SUCCESS);

    // What the rules make of the block: the cells, or a refusal.
    bool rifiutato = ottenute > capienza;
    std::vector<std::pair<bool, QString>> attese;
    for (SQLULEN r = 0; r < ottenute && !rifiutato; ++r) {
        const SQLUSMALLINT s = stato[r];
        if (s != SQL_ROW_SUCCESS && s != SQL_ROW_SUCCESS_WITH_INFO && s != SQL_ROW_UPDATED &&
            s != SQL_ROW_ADDED) {
            rifiutato = true;
            break;
        }
        for (std::size_t i = 0; i < colonne && !rifiutato; ++i) {
            const ado::ColonnaLegata& l = legate[i];
            const SQLLEN b = l.indicatori[r];
            const auto spazio = SQLLEN(2 * (l.larghezza - 1));
            if (b == SQL_NULL_DATA) {
                attese.emplace_back(true, QString());
            } else if (b == SQL_NO_TOTAL || (b > spazio && avvisi)) {
                attese.emplace_back(false, Completo);
            } else if (b < 0 || b > spazio || b % 2 != 0) {
                rifiutato = true;
            } else {
                QString t(reinterpret_cast<const QChar*>(l.dati + r * l.larghezza), b / 2);
                if (l.numerico)
                    t.replace(u'.', separatore);
                attese.emplace_back(false, t);
            }
        }
    }

    ado::Righe righe;
    righe.Azzera(int(colonne));
    Finta finta(righe);
    bool rifiuta = false;
    try {
        ado::Converti({legate, stato.data(), capienza, ottenute, avvisi}, righe, separatore, finta);
    } catch (const ado::Errore& e) {
        Verifica(!e.Description().isEmpty(), "rifiuto senza descrizione");
        rifiuta = true;
    }
    Verifica(rifiuta == rifiutato, "rifiuto diverso da quello atteso");
    if (rifiuta)
        return 0;
    Verifica(righe.Conta() == qint64(ottenute), "righe diverse da quelle ottenute");
    righe.Compatta();
    for (std::size_t k = 0; k < attese.size(); ++k) {
        const ado::Valore v = righe.Cella(qint64(k / colonne), int(k % colonne));
        Verifica(v.IsNull() == attese[k].first, "NULL diverso");
        Verifica(v.testo == attese[k].second, "testo diverso");
    }
    return 0;
}
