#include "support/risultati_prova.h"

#include "support/odbc_privato.h"

#include <QPushButton>
#include <QTest>

namespace zeltest {

void PreparaArticoli() {
    static bool fatto = false;
    if (fatto) {
        return;
    }
    PreparaOdbc();
    Esegui(Connetti(StringaSqlite()),
           {"CREATE TABLE articoli (codice INTEGER, nome VARCHAR(12), prezzo REAL)",
            "INSERT INTO articoli VALUES (1, 'VITE', 0.5)",
            "INSERT INTO articoli VALUES (2, 'DADO', 0.25)",
            "INSERT INTO articoli VALUES (3, 'BULLONE', 1.5)",
            "INSERT INTO articoli VALUES (4, 'RONDELLA', 0.1)"});
    fatto = true;
}

bool ElaboraArticoli(Guida& g) {
    g.cmbMODO.setText(QStringLiteral("ODBC"));
    g.txtODBC.setText(QStringLiteral("ZELTEST_SQLITE"));
    g.txtAS400UTENTE.setText(QStringLiteral("UTENTE"));
    g.txtAS400PASSWORD.setText(QStringLiteral("PAROLA"));
    g.txtSQL.setText(QStringLiteral("SELECT codice, nome, prezzo FROM articoli ORDER BY codice"));
    Elabora(g);
    // The list shows its last rows a moment after the run.
    return QTest::qWaitFor([&] { return g.lstDATI.modello().rowCount() == g.lstDATI.ListCount(); });
}

} // namespace zeltest
