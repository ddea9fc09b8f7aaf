// The compact table of texts a run loads its rows into.
#include "run/tabella_testi.h"

#include <QtTest>

class TestTabellaTesti : public QObject {
    Q_OBJECT

  private slots:
    void riempimentoELettura();
    void celleERigheSaltate();
    void fuoriDallaTabella();
    void crescita();
    void dimensionaAzzera();
    void milioneDiRighe();
    void righeAdottate();
};

void TestTabellaTesti::riempimentoELettura() {
    TabellaTesti t;
    t.Dimensiona(3, 3);
    const QString celle[3][3] = {
        {"A1", "", "àèì"}, {"una cella più lunga delle altre", "B2", "😀"}, {"", "", "C3"}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            t.Imposta(r, c, celle[r][c]);
        }
    }
    QCOMPARE(t.Righe(), 3);
    QCOMPARE(t.Colonne(), 3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(t.Cella(r, c).toString(), celle[r][c]);
        }
    }
}

void TestTabellaTesti::celleERigheSaltate() {
    TabellaTesti t;
    t.Dimensiona(0, 4);
    t.Imposta(0, 1, u"b0");
    t.Imposta(0, 3, u"d0");
    t.Imposta(3, 2, u"c3"); // rows 1 and 2 skipped
    QCOMPARE(t.Righe(), 4);
    const QStringList attese = {"", "b0", "", "d0", "", "", "",   "",
                                "", "",   "", "",   "", "", "c3", ""};
    for (int i = 0; i < attese.size(); ++i) {
        QCOMPARE(t.Cella(i / 4, i % 4).toString(), attese[i]);
    }
    // The last row can still take its later columns.
    t.Imposta(3, 3, u"d3");
    QCOMPARE(t.Cella(3, 3), u"d3");
    QCOMPARE(t.Cella(3, 2), u"c3");
}

void TestTabellaTesti::fuoriDallaTabella() {
    TabellaTesti t;
    QVERIFY(t.Cella(0, 0).isEmpty()); // never sized
    t.Dimensiona(5, 2);
    QVERIFY(t.Cella(0, 0).isEmpty()); // sized, not written
    t.Imposta(0, 0, u"x");
    t.Imposta(1, 0, u"y");
    QVERIFY(t.Cella(-1, 0).isEmpty());
    QVERIFY(t.Cella(0, -1).isEmpty());
    QVERIFY(t.Cella(0, 2).isEmpty());
    QVERIFY(t.Cella(1, 1).isEmpty()); // current row, column not yet written
    QVERIFY(t.Cella(4, 0).isEmpty()); // inside Righe(), never written
    QVERIFY(t.Cella(99, 0).isEmpty());
    QCOMPARE(t.Cella(0, 1), u""); // row 0 closed: its last cell empty
    QCOMPARE(t.Righe(), 5);
}

void TestTabellaTesti::crescita() {
    TabellaTesti t;
    t.Dimensiona(2, 2);
    for (int r = 0; r < 10; ++r) {
        t.Imposta(r, 0, QString::number(r));
        t.Imposta(r, 1, QString(r, u'*'));
    }
    QCOMPARE(t.Righe(), 10);
    for (int r = 0; r < 10; ++r) {
        QCOMPARE(t.Cella(r, 0).toString(), QString::number(r));
        QCOMPARE(t.Cella(r, 1).toString(), QString(r, u'*'));
    }
}

void TestTabellaTesti::dimensionaAzzera() {
    TabellaTesti t;
    t.Dimensiona(0, 3);
    for (int r = 0; r < 10000; ++r) {
        t.Imposta(r, 0, u"un testo qualsiasi");
    }
    const qint64 piena = t.MemoryBytes();

    t.Dimensiona(2, 1);
    QCOMPARE(t.Righe(), 2);
    QCOMPARE(t.Colonne(), 1);
    QVERIFY(t.Cella(0, 0).isEmpty());
    QVERIFY(t.MemoryBytes() < piena / 10); // the old buffers are released

    t.Imposta(0, 0, u"nuova");
    QCOMPARE(t.Cella(0, 0), u"nuova");
    QVERIFY(t.Cella(1, 0).isEmpty());

    t.Dimensiona(0, 0);
    QCOMPARE(t.Righe(), 0);
    QVERIFY(t.Cella(0, 0).isEmpty());
}

void TestTabellaTesti::milioneDiRighe() {
    // Sized as a run sizes it: one row and one column more than it fills.
    constexpr qsizetype Righe = 1'000'000;
    constexpr int Colonne = 10;
    TabellaTesti t;
    t.Dimensiona(Righe + 1, Colonne + 1);
    QString valore;
    for (qsizetype r = 0; r < Righe; ++r) {
        for (int c = 0; c < Colonne; ++c) {
            valore.setNum(r * Colonne + c);
            t.Imposta(r, c, valore);
        }
    }
    QCOMPARE(t.Righe(), Righe + 1);
    for (const qsizetype r : {qsizetype(0), qsizetype(1), Righe / 2, Righe - 1}) {
        for (int c = 0; c < Colonne; ++c) {
            QCOMPARE(t.Cella(r, c).toString(), QString::number(r * Colonne + c));
        }
        QVERIFY(t.Cella(r, Colonne).isEmpty());
    }
    QVERIFY(t.Cella(Righe, 0).isEmpty());

    // The text and one offset per cell and per row, plus growth slack: far
    // from ten million separate strings.
    const qint64 dati = 2 * 68'888'890 /* digits of 0..9'999'999 */ +
                        4 * (Righe + 1) * (Colonne + 1) + 8 * (Righe + 1);
    QVERIFY2(t.MemoryBytes() < dati * 3 / 2, qPrintable(QString::number(t.MemoryBytes())));
}

void TestTabellaTesti::righeAdottate() {
    // Two rows of two fields as a recordset reads them, a NULL among them.
    auto lette = std::make_shared<ado::Righe>();
    lette->Azzera(2);
    for (const char16_t* v : {u"1", u"ROSSI", u"2", u""}) {
        lette->Appendi(QStringView(v));
        lette->ChiudiCella(QStringView(v).isEmpty());
    }
    lette->Compatta();

    TabellaTesti t;
    t.Dimensiona(3, 3);
    t.Imposta(0, 0, u"prima");
    t.Adotta(lette);
    lette.reset();                    // the table keeps the rows alive
    QVERIFY(t.Cella(0, 0).isEmpty()); // nothing taken yet, the old cell gone
    t.AdottaRiga(0);
    QCOMPARE(t.Cella(0, 0), u"1");
    QCOMPARE(t.Cella(0, 1), u"ROSSI");
    QVERIFY(t.Cella(0, 2).isEmpty()); // a column the rows do not have
    QVERIFY(t.Cella(1, 0).isEmpty()); // not taken yet
    t.AdottaRiga(1);
    QCOMPARE(t.Cella(1, 0), u"2");
    QVERIFY(t.Cella(1, 1).isEmpty()); // NULL
    QCOMPARE(t.Righe(), 3);
    QVERIFY(t.Cella(2, 0).isEmpty());
    QVERIFY(t.Cella(-1, 0).isEmpty());

    // Dimensiona ends it: written cells again.
    t.Dimensiona(1, 1);
    QVERIFY(t.Cella(0, 0).isEmpty());
    t.Imposta(0, 0, u"nuova");
    QCOMPARE(t.Cella(0, 0), u"nuova");
}

QTEST_GUILESS_MAIN(TestTabellaTesti)
#include "test_tabella_testi.moc"
