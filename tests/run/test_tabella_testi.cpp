// The table of loaded values, over the rows a recordset read.
#include "run/tabella_testi.h"

#include <QTest>
#include <optional>

namespace {

// Rows as a recordset reads them: `celle` row after row, nullopt for NULL.
std::shared_ptr<ado::Righe> Lette(int colonne, const QList<std::optional<QString>>& celle) {
    auto r = std::make_shared<ado::Righe>();
    r->Azzera(colonne);
    for (const auto& c : celle) {
        r->Appendi(c.value_or(QString()));
        r->ChiudiCella(!c.has_value());
    }
    r->Compatta(); // as Open does once the statement is freed
    return r;
}

} // namespace

class TestTabellaTesti : public QObject {
    Q_OBJECT

  private slots:
    void righeAdottate();
    void fuoriDallaTabella();
    void dimensionaRilascia();
    void milioneDiRighe();
};

void TestTabellaTesti::righeAdottate() {
    auto lette = Lette(3, {QStringLiteral("A1"), QString(), QStringLiteral("àèì"),
                           QStringLiteral("una cella più lunga delle altre"), std::nullopt,
                           QStringLiteral("😀"), QStringLiteral("x|y"), QStringLiteral("  "),
                           QStringLiteral("C3")});
    TabellaTesti t;
    t.Dimensiona(4, 4); // as a run sizes it: one row and one column spare
    t.Adotta(lette);
    lette.reset();                    // the table keeps the rows alive
    QVERIFY(t.Cella(0, 0).isEmpty()); // nothing taken yet
    t.AdottaRiga(0);
    QCOMPARE(t.Cella(0, 0), u"A1");
    QCOMPARE(t.Cella(0, 1), u"");
    QCOMPARE(t.Cella(0, 2), u"àèì");
    QVERIFY(t.Cella(1, 0).isEmpty()); // not taken yet
    t.AdottaRiga(1);
    t.AdottaRiga(2);
    QCOMPARE(t.Cella(1, 0), u"una cella più lunga delle altre");
    QVERIFY(t.Cella(1, 1).isEmpty()); // NULL
    QCOMPARE(t.Cella(1, 2), u"😀");
    QCOMPARE(t.Cella(2, 0), u"x|y");
    QCOMPARE(t.Cella(2, 1), u"  ");
    QCOMPARE(t.Cella(2, 2), u"C3");
    // The NULL flag of each cell: the empty text is not NULL.
    QVERIFY(t.Valore(1, 1).nullo);
    QVERIFY(!t.Valore(0, 1).nullo && t.Valore(0, 1).testo.isEmpty());
    QVERIFY(!t.Valore(2, 2).nullo);
    QVERIFY(t.Valore(3, 0).nullo); // not taken
    QCOMPARE(t.RigheAdottate(), 3);
    QCOMPARE(t.Righe(), 4);
    QCOMPARE(t.Colonne(), 4);
}

void TestTabellaTesti::fuoriDallaTabella() {
    TabellaTesti t;
    QVERIFY(t.Cella(0, 0).isEmpty()); // never sized
    t.Dimensiona(3, 2);
    QVERIFY(t.Cella(0, 0).isEmpty()); // sized, nothing taken
    QCOMPARE(t.Righe(), 3);

    // Rows of three fields in a table of two columns; the rows' third is
    // out of it, and so is anything past the rows taken.
    t.Adotta(Lette(3, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                       QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")}));
    t.AdottaRiga(0);
    QCOMPARE(t.Cella(0, 1), u"b");
    for (const auto& [r, c] : {std::pair{-1, 0}, {0, -1}, {0, 2}, {0, 3}, {1, 0}, {99, 0}}) {
        QVERIFY2(t.Cella(r, c).isEmpty(), qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
    }

    // A table sized smaller than what it takes grows to it.
    t.Dimensiona(0, 1);
    t.Adotta(Lette(1, {QStringLiteral("1"), QStringLiteral("2")}));
    t.AdottaRiga(0);
    t.AdottaRiga(1);
    QCOMPARE(t.Righe(), 2);
    QCOMPARE(t.Cella(1, 0), u"2");
}

void TestTabellaTesti::dimensionaRilascia() {
    auto lette = Lette(1, {QStringLiteral("prima")});
    const std::weak_ptr<ado::Righe> osservate = lette;
    TabellaTesti t;
    t.Dimensiona(2, 2);
    t.Adotta(std::move(lette));
    t.AdottaRiga(0);
    QCOMPARE(t.Cella(0, 0), u"prima");

    // A new size drops the rows taken, and with them the recordset's rows.
    t.Dimensiona(1, 1);
    QVERIFY(osservate.expired());
    QVERIFY(t.Cella(0, 0).isEmpty());
    QCOMPARE(t.Righe(), 1);

    // A new source starts from its own first row.
    t.Adotta(Lette(1, {QStringLiteral("dopo")}));
    QVERIFY(t.Cella(0, 0).isEmpty());
    t.AdottaRiga(0);
    QCOMPARE(t.Cella(0, 0), u"dopo");
}

void TestTabellaTesti::milioneDiRighe() {
    constexpr qsizetype Righe = 1'000'000;
    constexpr int Colonne = 10;
    auto lette = std::make_shared<ado::Righe>();
    lette->Azzera(Colonne);
    QString valore;
    for (qsizetype r = 0; r < Righe; ++r) {
        for (int c = 0; c < Colonne; ++c) {
            valore.setNum(r * Colonne + c);
            lette->Appendi(valore);
            lette->ChiudiCella(false);
        }
    }
    lette->Compatta();
    TabellaTesti t;
    t.Dimensiona(Righe + 1, Colonne + 1);
    t.Adotta(lette);
    for (qsizetype r = 0; r < Righe; ++r) {
        t.AdottaRiga(r);
    }
    QCOMPARE(t.Righe(), Righe + 1);
    for (const qsizetype r : {qsizetype(0), qsizetype(1), Righe / 2, Righe - 1}) {
        for (int c = 0; c < Colonne; ++c) {
            QCOMPARE(t.Cella(r, c).toString(), QString::number(r * Colonne + c));
            // The very text the recordset read, not a copy of it.
            QCOMPARE(t.Cella(r, c).data(), lette->Cella(r, c).testo.data());
        }
        QVERIFY(t.Cella(r, Colonne).isEmpty());
    }
    QVERIFY(t.Cella(Righe, 0).isEmpty());
}

QTEST_GUILESS_MAIN(TestTabellaTesti)
#include "test_tabella_testi.moc"
