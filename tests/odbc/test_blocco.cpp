// A fetched block turned into cells: what well-behaved drivers hand back,
// and what a driver breaking the rules gets as the run's error description.
#include "odbc/blocco.h"

#include <QTest>
#include <vector>

namespace {

// One column of text cells two characters wide, and the cells it came to.
struct Prova {
    std::vector<SQLWCHAR> dati;
    std::vector<SQLLEN> indicatori;
    std::vector<SQLUSMALLINT> stato;
    SQLULEN ottenute = 0;
    bool avvisi = false;
    bool numerico = false;
    std::vector<std::pair<SQLULEN, std::size_t>> completate;

    // "ab" "cd" ..., one per row, each with its terminator.
    explicit Prova(std::initializer_list<SQLLEN> lunghezze)
        : indicatori(lunghezze), stato(lunghezze.size(), SQL_ROW_SUCCESS),
          ottenute(lunghezze.size()) {
        for (std::size_t r = 0; r < lunghezze.size(); ++r)
            dati.insert(dati.end(), {SQLWCHAR(u'a' + 2 * r), SQLWCHAR(u'.'), 0});
    }

    // The cells, "NULL" for a NULL one; throws like Converti.
    QStringList Converti() {
        struct Rilettura : ado::Completamento {
            Prova& p;
            ado::Righe& righe;
            Rilettura(Prova& prova, ado::Righe& r) : p(prova), righe(r) {}
            bool Completa(SQLULEN riga, std::size_t colonna) override {
                p.completate.emplace_back(riga, colonna);
                righe.Appendi(u"intero");
                return false;
            }
            QList<ado::Diagnostica> Diagnostiche() override {
                return {{QStringLiteral("22003"), 7, QStringLiteral("fuori intervallo")}};
            }
        };
        ado::Righe righe;
        righe.Azzera(1);
        Rilettura completa(*this, righe);
        const ado::ColonnaLegata colonna{dati.data(), indicatori.data(), 3, numerico};
        ado::Converti({{&colonna, 1}, stato.data(), stato.size(), ottenute, avvisi}, righe, u",",
                      completa);
        righe.Compatta();
        QStringList celle;
        for (qint64 r = 0; r < righe.Conta(); ++r) {
            const ado::Valore v = righe.Cella(r, 0);
            celle << (v.IsNull() ? QStringLiteral("NULL") : v.ToString());
        }
        return celle;
    }

    QString Errore() {
        try {
            Converti();
        } catch (const ado::Errore& e) {
            return e.Description();
        }
        return {};
    }
};

const QString Valore =
    QStringLiteral("Il driver ODBC ha restituito un valore non valido alla riga %1, colonna 1: %2");

} // namespace

class TestBlocco : public QObject {
    Q_OBJECT
  private slots:
    void regolare() {
        Prova p({4, SQL_NULL_DATA, 0, 2});
        QCOMPARE(p.Converti(), QStringList({"a.", "NULL", "", "g"}));
        p.numerico = true;
        QCOMPARE(p.Converti(), QStringList({"a,", "NULL", "", "g"}));
        QVERIFY(p.completate.empty());

        // Only the rows the driver says it fetched.
        p.ottenute = 2;
        QCOMPARE(p.Converti(), QStringList({"a,", "NULL"}));
    }

    // Values longer than their cell, or of unknown length, are read again
    // whole; a length is only trusted beyond the cell with a warning.
    void troncati() {
        Prova p({6, SQL_NO_TOTAL, 2});
        p.avvisi = true;
        QCOMPARE(p.Converti(), QStringList({"intero", "intero", "e"}));
        const std::vector<std::pair<SQLULEN, std::size_t>> attese = {{0, 0}, {1, 0}};
        QCOMPARE(p.completate, attese);

        p.avvisi = false;
        QCOMPARE(p.Errore(), Valore.arg(1).arg("una lunghezza di 6 byte, oltre i 4 byte a "
                                               "disposizione, senza segnalare un troncamento."));
    }

    void regoleInfrante() {
        QCOMPARE(Prova({2, -7}).Errore(), Valore.arg(2).arg("una lunghezza negativa (-7)."));
        QCOMPARE(Prova({3}).Errore(),
                 Valore.arg(1).arg("una lunghezza dispari (3 byte) per un testo UTF-16."));

        Prova oltre({2, 2});
        oltre.ottenute = 3;
        QCOMPARE(oltre.Errore(),
                 QString("Il driver ODBC dice di aver letto 3 righe in un blocco che ne può "
                         "contenere 2."));

        Prova errore({2, 2});
        errore.stato[1] = SQL_ROW_ERROR;
        QCOMPARE(errore.Errore(), QString("Lettura della riga 2 del risultato non riuscita.\n"
                                          "[SQLSTATE 22003] (7) fuori intervallo"));

        Prova senzaRiga({2, 2});
        senzaRiga.stato[0] = SQL_ROW_NOROW;
        QCOMPARE(senzaRiga.Errore(), QString("Il driver ODBC ha dato alla riga 1 del risultato "
                                             "uno stato non previsto (3)."));
    }
};

QTEST_GUILESS_MAIN(TestBlocco)
#include "test_blocco.moc"
