// The packed rows of a cursor: cells written in pieces, Latin-1 and beyond,
// with a decimal separator, across block boundaries, read back whole.
#include "odbc/righe.h"

#include <QRandomGenerator>
#include <QTest>

class TestRighe : public QObject {
    Q_OBJECT

  private slots:
    // Random cells of random pieces: a block of one byte per character
    // meets text that needs UTF-16 at the start, middle and end of a cell,
    // and cells bigger than a block.
    void pezziMisti_data() {
        QTest::addColumn<quint32>("seme");
        QTest::addColumn<QString>("separatore");
        for (quint32 seme : {1u, 2u, 3u}) {
            QTest::addRow("%u punto", seme) << seme << QString(".");
            QTest::addRow("%u virgola", seme) << seme << QString(",");
            QTest::addRow("%u arabo", seme) << seme << QString::fromUtf16(u"\u066B");
        }
    }
    void pezziMisti() {
        QFETCH(quint32, seme);
        QFETCH(QString, separatore);
        QRandomGenerator caso(seme);
        const QString pezzi[] = {"12.50",
                                 QString::fromUtf16(u"àèì ÿ"),
                                 QString::fromUtf16(u"€ 3.1"),
                                 QString::fromUtf16(u"中文"),
                                 "x",
                                 "",
                                 QString(300 * 1024, u'a'),
                                 QString(70 * 1024, u'ß')};
        constexpr int Colonne = 3;
        ado::Righe righe;
        righe.Azzera(Colonne);
        std::vector<std::pair<bool, QString>> attese;
        for (int k = 0; k < 3000 * Colonne; ++k) {
            const bool numerica = k % Colonne == 2;
            const bool nullo = caso.bounded(10) == 0;
            QString attesa;
            for (int p = nullo ? 0 : int(caso.bounded(4)); p > 0; --p) {
                // Big pieces now and then only.
                const int i = int(caso.bounded(caso.bounded(50) == 0 ? 8 : 6));
                if (numerica) {
                    righe.Appendi(pezzi[i], separatore);
                    attesa += QString(pezzi[i]).replace(u'.', separatore);
                } else {
                    righe.Appendi(pezzi[i]);
                    attesa += pezzi[i];
                }
            }
            righe.ChiudiCella(nullo);
            attese.emplace_back(nullo, attesa);
        }
        righe.Compatta();
        QCOMPARE(righe.Conta(), 3000);
        for (int k = 0; k < int(attese.size()); ++k) {
            const ado::Valore v = righe.Cella(k / Colonne, k % Colonne);
            QCOMPARE(v.IsNull(), attese[k].first);
            QVERIFY2(v.testo == attese[k].second, qPrintable(QString::number(k)));
        }
    }

    // Empty cells first, then a piece that needs a block of its own or
    // UTF-16, then empty cells again: each keeps its place.
    void celleVuoteIntorno_data() {
        QTest::addColumn<QString>("pezzo");
        QTest::newRow("lungo") << QString(100 * 1024, u'a');
        QTest::newRow("utf-16") << QString::fromUtf16(u"中文");
        QTest::newRow("lungo utf-16") << QString(100 * 1024, QChar(u'中'));
    }
    void celleVuoteIntorno() {
        QFETCH(QString, pezzo);
        ado::Righe righe;
        righe.Azzera(1);
        const auto vuote = [&righe](int n) {
            for (int i = 0; i < n; ++i)
                righe.ChiudiCella(i % 2 == 0);
        };
        vuote(3);
        righe.Appendi(pezzo);
        righe.ChiudiCella(false);
        vuote(3);
        righe.Appendi(u"fine");
        righe.ChiudiCella(false);
        righe.Compatta();
        QCOMPARE(righe.Conta(), 8);
        for (int r : {0, 1, 2, 4, 5, 6}) {
            QVERIFY(righe.Cella(r, 0).testo.isEmpty());
            QCOMPARE(righe.Cella(r, 0).IsNull(), r % 2 == 0);
        }
        QVERIFY(righe.Cella(3, 0).testo == pezzo);
        QCOMPARE(righe.Cella(7, 0).testo, u"fine");
    }

    // Text in one byte per character while written; UTF-16 once compacted,
    // with no room left over.
    void memoria() {
        ado::Righe righe;
        righe.Azzera(1);
        for (int i = 0; i < 100000; ++i) {
            righe.Appendi(u"riga numero 123");
            righe.ChiudiCella(false);
        }
        const qint64 testo = 100000 * 15;
        const qint64 fini = 100000 * 4;
        QVERIFY2(righe.Byte() < testo + fini + 256 * 1024,
                 qPrintable(QString::number(righe.Byte())));
        righe.Compatta();
        QVERIFY2(righe.Byte() < 2 * testo + fini + 64 * 1024,
                 qPrintable(QString::number(righe.Byte())));
        QCOMPARE(righe.Cella(99999, 0).testo, u"riga numero 123");
    }
};

QTEST_GUILESS_MAIN(TestRighe)
#include "test_righe.moc"
