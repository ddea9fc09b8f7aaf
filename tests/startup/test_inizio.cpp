// The settings procedures of the start-up module over a real file.
#include "startup/inizio.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray Contenuto(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestInizio : public QObject {
    Q_OBJECT

    QTemporaryDir cartella_;

  private slots:
    void percorso();
    void istruzioneSuPiuRighe();
    void valoriLunghiEPredefiniti();
};

void TestInizio::percorso() {
    QCOMPARE(Inizio::PercorsoINI("/opt/zel", "Zelbrontica"), QString("/opt/zel/Zelbrontica.INI"));
    QCOMPARE(Inizio::PercorsoINI("/opt/zel/", "Zel"), QString("/opt/zel//Zel.INI"));
    QCOMPARE(Inizio::PercorsoINI("/", "Zel"), QString("//Zel.INI"));
}

void TestInizio::istruzioneSuPiuRighe() {
    const QString file = cartella_.filePath("Zel.INI");
    Inizio::ScriviINI(file, "Istruzione", "Testo", "SELECT *\r\nFROM T");
    QCOMPARE(Contenuto(file), QByteArray("[Istruzione]\r\nTesto=SELECT *  FROM T\r\n"));
    QCOMPARE(Inizio::LeggiINI(file, "Istruzione", "Testo", ""), QString("SELECT *  FROM T"));

    // A lone LF or CR is one blank; the value keeps its length.
    Inizio::ScriviINI(file, "Istruzione", "Testo", "A\nB\rC\n\nD");
    QCOMPARE(Inizio::LeggiINI(file, "Istruzione", "Testo", ""), QString("A B C  D"));
    QCOMPARE(Contenuto(file), QByteArray("[Istruzione]\r\nTesto=A B C  D\r\n"));
}

void TestInizio::valoriLunghiEPredefiniti() {
    const QString file = cartella_.filePath("Lunghi.INI");
    QCOMPARE(Inizio::LeggiINI(file, "S", "K", "ODBC"), QString("ODBC")); // no file yet

    const QString lungo = QString(150, u'x') + QString(150, u'y');
    Inizio::ScriviINI(file, "S", "Lungo", lungo);
    QCOMPARE(Inizio::LeggiINI(file, "S", "Lungo", ""), lungo.left(254));
    QVERIFY(Contenuto(file).contains(lungo.toLatin1())); // stored whole, cut on read

    Inizio::ScriviINI(file, "S", "Vuoto", "");
    QCOMPARE(Inizio::LeggiINI(file, "S", "Vuoto", "predefinito"), QString());
    QCOMPARE(Inizio::LeggiINI(file, "S", "Manca", "predefinito"), QString("predefinito"));
    QCOMPARE(Inizio::LeggiINI(file, "S", "Manca", lungo), lungo.left(254));
    QCOMPARE(Inizio::LeggiINI(file, "s", "LUNGO", "").size(), 254);
}

QTEST_GUILESS_MAIN(TestInizio)
#include "test_inizio.moc"
