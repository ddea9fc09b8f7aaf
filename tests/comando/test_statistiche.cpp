// Figures over repeated runs, against values worked out by hand (and by
// Python's statistics.quantiles(method='inclusive') and stdev).
#include "comando/statistiche.h"

#include <QTest>
#include <numeric>

class TestStatistiche : public QObject {
    Q_OBJECT

  private slots:
    void riassunto_data();
    void riassunto();
};

void TestStatistiche::riassunto_data() {
    QTest::addColumn<QList<double>>("valori");
    // min, median, mean, max, standard deviation (-1: none), 95th percentile
    QTest::addColumn<QList<double>>("attese");
    QList<double> venti(20);
    std::iota(venti.begin(), venti.end(), 1.0);
    std::reverse(venti.begin(), venti.end());
    QTest::newRow("uno") << QList<double>{5} << QList<double>{5, 5, 5, 5, -1, 5};
    QTest::newRow("due") << QList<double>{3, 1} << QList<double>{1, 2, 2, 3, std::sqrt(2.0), 2.9};
    QTest::newRow("dispari") << QList<double>{3, 1, 2} << QList<double>{1, 2, 2, 3, 1, 2.9};
    QTest::newRow("pari") << QList<double>{4, 1, 3, 2}
                          << QList<double>{1, 2.5, 2.5, 4, std::sqrt(5.0 / 3.0), 3.85};
    QTest::newRow("venti") << venti << QList<double>{1, 10.5, 10.5, 20, std::sqrt(35.0), 19.05};
    QTest::newRow("uguali") << QList<double>{0.1, 0.1, 0.1}
                            << QList<double>{0.1, 0.1, 0.1, 0.1, 0, 0.1};
}

void TestStatistiche::riassunto() {
    QFETCH(QList<double>, valori);
    QFETCH(QList<double>, attese);
    const auto r = statistiche::Riassumi(valori);
    QVERIFY(r);
    const QList<double> lette = {r->min, r->mediana, r->media, r->max, r->devStd.value_or(-1),
                                 r->p95};
    for (int i = 0; i < attese.size(); ++i)
        QVERIFY2(std::abs(lette[i] - attese[i]) < 1e-12, qPrintable(QString::number(i)));
    QVERIFY(!statistiche::Riassumi({}));
}

QTEST_GUILESS_MAIN(TestStatistiche)
#include "test_statistiche.moc"
