#include "support/corsa_prova.h"

#include <QPushButton>
#include <QTimer>

const QRegularExpression RigaFinale(QStringLiteral(
    "^Elaborazione Completata \\(SQL=\\d* sec - COUNT=\\d* sec - PAG\\.=\\d* sec\\)$"));

void Inserisci(Guida& g, const QString& dsn, const QString& sql, const QString& utente,
               const QString& password) {
    g.cmbMODO.setText(QStringLiteral("ODBC"));
    g.txtODBC.setText(dsn);
    g.txtAS400UTENTE.setText(utente);
    g.txtAS400PASSWORD.setText(password);
    g.txtSQL.setText(sql);
}

QString UtentePg() { return qEnvironmentVariable("ZEL_PG_USER"); }
QString PasswordPg() { return qEnvironmentVariable("ZEL_PG_PASSWORD"); }

void InserisciPg(Guida& g, const QString& sql, const QString& dsn, const QString& utente,
                 const QString& password) {
    Inserisci(g, dsn, sql, utente, password);
}

void Elabora(Guida& g) {
    g.cmdAPRI.pulsante()->click();
    // Longer than any run of the tests (the slowest waits out a two-minute
    // connection time-out), shorter than the suite's limit per test.
    constexpr int AttesaMassimaMs = 500 * 1000;
    if (!QTest::qWaitFor([&g] { return !g.InElaborazione(); }, AttesaMassimaMs)) {
        QFAIL("La corsa non è finita.");
    }
}

void Quando(Guida& g, std::function<bool()> condizione, std::function<void()> azione, int ritardo) {
    auto* t = new QTimer(&g);
    t->setInterval(0);
    QObject::connect(t, &QTimer::timeout, t, [&g, t, condizione, azione, ritardo] {
        if (!condizione()) {
            return;
        }
        t->stop();
        t->deleteLater();
        if (ritardo == 0) {
            azione();
        } else {
            QTimer::singleShot(ritardo, &g, azione);
        }
    });
    t->start();
}

void AllaFase(Guida& g, const QString& fase, std::function<void()> azione, int ritardo) {
    Quando(
        g, [&g, fase] { return g.txtSTATUS.Text().startsWith(fase); }, std::move(azione), ritardo);
}

void ClickVero(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

QStringList Righe(const ListBox& l) {
    QStringList r;
    for (qsizetype i = 0; i < l.ListCount(); ++i) {
        r << l.List(i);
    }
    return r;
}

QString TestoErrore(const QString& connessione, const QString& sql, const QString& errore) {
    return QStringLiteral("Errori Durante Elaborazione\r\n\r\nStringa di Connessione: ") +
           connessione + QStringLiteral("\r\n\r\nStringa di Elaborazione: ") + sql +
           QStringLiteral("\r\n\r\nErrore: ") + errore;
}

void ControllaRiposo(Guida& g) {
    QVERIFY(!g.InElaborazione());
    QVERIFY(g.cmdAPRI.Enabled());
    QVERIFY(!g.cmdSTOP.Enabled());
}
