// Rows as delimited text: each case's bytes in CSV and TSV, the QString
// output the same text, and a second reader (Python's csv module) reading
// every case back as written.
#include "run/delimitato.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>

using delimitato::Formato;

namespace {

// One value as the middle field of a row "a,<value>,z", and its bytes.
struct Caso {
    const char* nome;
    QString valore;
    bool nullo;
    QByteArray csv, tsv;
};

const QList<Caso>& Casi() {
    static const QString lungo =
        QString(1 << 20, u'é') + QStringLiteral("\"z"); // over 1 MB, quoted
    static const QByteArray lungoUtf8 = '"' + lungo.toUtf8().replace("\"", "\"\"") + '"';
    static const QByteArray greco = "\xce\x95\xce\xbb\xce\xbb\xce\xac\xce\xb4\xce\xb1 \xe6\x97\xa5";
    static const QList<Caso> casi = {
        {"semplice", "abc", false, "abc", "abc"},
        {"virgola", "a,b", false, "\"a,b\"", "a,b"},
        {"tab", "a\tb", false, "a\tb", "\"a\tb\""},
        {"virgolette", "di\"re\"", false, "\"di\"\"re\"\"\"", "\"di\"\"re\"\"\""},
        {"CR", "a\rb", false, "\"a\rb\"", "\"a\rb\""},
        {"LF", "a\nb", false, "\"a\nb\"", "\"a\nb\""},
        {"CR LF", "a\r\n", false, "\"a\r\n\"", "\"a\r\n\""},
        // Blanks are part of the value and need no quotes to stay.
        {"blank", "  a b  ", false, "  a b  ", "  a b  "},
        {"NULL", "", true, "", ""},
        {"vuoto", "", false, "\"\"", "\"\""},
        {"fine COPY", "\\.", false, "\"\\.\"", "\\."},
        {"non latin-1", "Ελλάδα 日", false, greco, greco},
        {"surrogati", "😀", false, "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
        {"1 MB", lungo, false, lungoUtf8, lungoUtf8},
    };
    return casi;
}

template <typename Testo> Testo Riga(const Caso& c, Formato f) {
    Testo riga;
    delimitato::AccodaCampo(riga, u"a", false, true, f);
    delimitato::AccodaCampo(riga, c.valore, c.nullo, false, f);
    delimitato::AccodaCampo(riga, u"z", false, false, f);
    delimitato::FineRiga(riga, f);
    return riga;
}

} // namespace

class TestDelimitato : public QObject {
    Q_OBJECT

  private slots:
    void campo_data();
    void campo();
    void rilettura_data();
    void rilettura();
};

void TestDelimitato::campo_data() {
    QTest::addColumn<int>("caso");
    for (int i = 0; i < Casi().size(); ++i)
        QTest::newRow(Casi()[i].nome) << i;
}

void TestDelimitato::campo() {
    QFETCH(int, caso);
    const Caso& c = Casi()[caso];
    const QByteArray csv = "a," + c.csv + ",z\r\n";
    const QByteArray tsv = "a\t" + c.tsv + "\tz\n";
    QCOMPARE(Riga<QByteArray>(c, Formato::Csv), csv);
    QCOMPARE(Riga<QByteArray>(c, Formato::Tsv), tsv);
    QCOMPARE(Riga<QString>(c, Formato::Csv), QString::fromUtf8(csv));
    QCOMPARE(Riga<QString>(c, Formato::Tsv), QString::fromUtf8(tsv));
}

void TestDelimitato::rilettura_data() {
    QTest::addColumn<Formato>("formato");
    QTest::addColumn<QString>("separatore");
    QTest::newRow("csv") << Formato::Csv << ",";
    QTest::newRow("tsv") << Formato::Tsv << "\t";
}

// Every case in one file, read back by Python's csv module (a NULL reads as
// the empty text there: the bytes above tell the two apart).
void TestDelimitato::rilettura() {
    QFETCH(Formato, formato);
    QFETCH(QString, separatore);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 mancante");
    QTemporaryFile file;
    QVERIFY(file.open());
    for (const Caso& c : Casi())
        file.write(Riga<QByteArray>(c, formato));
    file.close();
    QProcess lettore;
    lettore.start(python, {QStringLiteral("-c"),
                           QStringLiteral("import csv, json, sys\n"
                                          "csv.field_size_limit(1 << 30)\n"
                                          "with open(sys.argv[1], newline='', encoding='utf-8') "
                                          "as f:\n"
                                          "    json.dump(list(csv.reader(f, delimiter=sys.argv[2], "
                                          "strict=True)), sys.stdout)"),
                           file.fileName(), separatore});
    QVERIFY(lettore.waitForFinished(60000));
    QVERIFY2(lettore.exitCode() == 0, lettore.readAllStandardError().constData());
    const QJsonArray righe = QJsonDocument::fromJson(lettore.readAllStandardOutput()).array();
    QCOMPARE(righe.size(), Casi().size());
    for (int i = 0; i < righe.size(); ++i)
        QCOMPARE(righe[i].toVariant().toStringList(),
                 QStringList({"a", Casi()[i].nullo ? QString() : Casi()[i].valore, "z"}));
}

QTEST_GUILESS_MAIN(TestDelimitato)
#include "test_delimitato.moc"
