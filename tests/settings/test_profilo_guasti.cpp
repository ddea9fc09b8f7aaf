// The settings file when things go wrong: a file an editor saved as UTF-8,
// names outside the code page, a full disk, a read-only folder, two
// processes writing at once, a permissive umask.
//
// Run as `test_profilo_guasti --scrivi FILE PREFISSO GIRI`, the executable is
// the writer process of the concurrency test instead.
#include "settings/profilo.h"
#include "support/file_prova.h"
#include "support/piccolo_disco.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using profilo::GetPrivateProfileStringA;
using profilo::WritePrivateProfileStringA;

namespace {

QString Leggi(const QString& file, const QString& sezione, const QString& chiave,
              const QString& predefinito = QStringLiteral("#predefinito")) {
    QString buffer(256, u' ');
    const quint32 n = GetPrivateProfileStringA(sezione, chiave, predefinito, buffer, 255, file);
    return buffer.left(n);
}

// The concurrency test's writers: each process writes its own keys and the
// shared ones, round after round, every value naming the process and round.
const QStringList Comuni = {"ODBC", "Statement", "Utente", "Password"};

QString Propria(const QString& prefisso, int i) { return prefisso + QString::number(i); }
QString Valore(const QString& prefisso, int giro) {
    return prefisso + QStringLiteral("-giro-") + QString::number(giro);
}

int Scrittore(const QString& file, const QString& prefisso, int giri) {
    for (int giro = 0; giro < giri; ++giro) {
        for (int i = 0; i < 4; ++i) {
            if (!WritePrivateProfileStringA("Parametri", Propria(prefisso, i),
                                            Valore(prefisso, giro), file) ||
                !WritePrivateProfileStringA("Parametri", Comuni[i], Valore(prefisso, giro), file)) {
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

class TestProfiloGuasti : public QObject {
    Q_OBJECT

    QTemporaryDir cartella_;
    QString File(const char* nome) const { return cartella_.filePath(QString::fromUtf8(nome)); }

    // Writes a few settings of a few hundred characters each.
    static void Impostazioni(const QString& file, int quante) {
        for (int i = 0; i < quante; ++i) {
            QVERIFY(WritePrivateProfileStringA("Parametri", "Chiave" + QString::number(i),
                                               QString(300, QChar(u'a' + i % 26)), file));
        }
    }

  private slots:
    void fileUtf8ConBom();
    void nomiFuoriCodice();
    void discoPieno();
    void cartellaSolaLettura();
    void dueProcessiInsieme();
    void permessiConUmaskAperta();
};

void TestProfiloGuasti::fileUtf8ConBom() {
    const QString file = File("utf8.INI");
    const QByteArray prima = "\xEF\xBB\xBF[Parametri]\r\n"
                             "Modalit\xC3\xA0=OLEDB\r\n"       // à
                             "Utente=\xC3\x89\xE2\x82\xAC\r\n" // É€
                             "Sistema=\xCE\xA9\r\n"            // Ω: not in the code page
                             "Password=\xC3\x28\r\n";          // not UTF-8: Windows-1252
    Crea(file, prima);
    QCOMPARE(Leggi(file, "Parametri", "Modalità"), QString("OLEDB"));
    QCOMPARE(Leggi(file, "Parametri", "Utente"), QString("É€"));
    QCOMPARE(Leggi(file, "Parametri", "Sistema"), QString("?"));
    QCOMPARE(Leggi(file, "Parametri", "Password"), QString("Ã("));

    // The file stays UTF-8: a new line in UTF-8, the others as they were.
    QVERIFY(WritePrivateProfileStringA("Parametri", "Statement", "SELECT 'è€'", file));
    QVERIFY(WritePrivateProfileStringA("Parametri", "Modalità", "ODBC", file));
    QByteArray atteso = prima;
    atteso.replace("Modalit\xC3\xA0=OLEDB", "Modalit\xC3\xA0=ODBC");
    atteso += "Statement=SELECT '\xC3\xA8\xE2\x82\xAC'\r\n";
    QCOMPARE(Contenuto(file), atteso);
    QCOMPARE(Leggi(file, "Parametri", "Statement"), QString("SELECT 'è€'"));
}

// Found by fuzz_profilo: a name outside the code page was written as "?" but
// looked up as itself, so it never read back and each write added a line.
void TestProfiloGuasti::nomiFuoriCodice() {
    const QString file = File("nomi.INI");
    QVERIFY(WritePrivateProfileStringA("Ω", "Ключ", "uno", file));
    QVERIFY(WritePrivateProfileStringA("Ω", "Ключ", "due", file));
    QCOMPARE(Contenuto(file), QByteArray("[?]\r\n????"
                                         "=due\r\n"));
    QCOMPARE(Leggi(file, "Ω", "Ключ"), QString("due"));
    QCOMPARE(Leggi(file, "?", "????"), QString("due"));
    // The default too is what the code page keeps of it.
    QCOMPARE(Leggi(file, "Ω", "Manca", "€Ω😀"), QString("€??"));
}

void TestProfiloGuasti::discoPieno() {
    const QString cartella = File("disco_pieno");
    QVERIFY(QDir().mkdir(cartella));
    const PiccoloDisco disco(cartella);
    if (!disco.Montato()) {
        QSKIP("cannot mount a small file system here (needs root)");
    }
    const QString file = cartella + "/Zel.INI";
    Impostazioni(file, 40); // about 12 KB
    const QByteArray prima = Contenuto(file);

    // Fill the disk, then free less room than the new file needs, so that
    // the write fails halfway through.
    QFile riempitivo(cartella + "/riempitivo");
    QVERIFY(riempitivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray blocco(4096, 'x');
    while (riempitivo.write(blocco) == blocco.size()) {
    }
    QVERIFY(riempitivo.resize(riempitivo.size() - 8192));
    riempitivo.close();

    QVERIFY(!WritePrivateProfileStringA("Parametri", "Chiave0", QString(300, u'z'), file));
    QVERIFY(!WritePrivateProfileStringA("Parametri", "Nuova", "1", file));
    QCOMPARE(Contenuto(file), prima);
    QCOMPARE(Leggi(file, "Parametri", "Chiave0"), QString(254, u'a'));
    QCOMPARE(QDir(cartella).entryList(QDir::Files | QDir::Hidden),
             QStringList({"riempitivo", "Zel.INI"})); // no half-written file left behind

    // Room again: writes work again.
    QVERIFY(QFile::remove(cartella + "/riempitivo"));
    QVERIFY(WritePrivateProfileStringA("Parametri", "Nuova", "1", file));
    QCOMPARE(Leggi(file, "Parametri", "Nuova"), QString("1"));
}

void TestProfiloGuasti::cartellaSolaLettura() {
    // Without root, test_profilo closes the folder with chmod instead.
    const QString cartella = File("sola_lettura");
    QVERIFY(QDir().mkdir(cartella));
    const PiccoloDisco disco(cartella);
    if (!disco.Montato()) {
        QSKIP("cannot mount a small file system here (needs root)");
    }
    const QString file = cartella + "/Zel.INI";
    Impostazioni(file, 3);
    const QByteArray prima = Contenuto(file);
    QVERIFY(disco.SolaLettura(true));
    const bool scritto = WritePrivateProfileStringA("Parametri", "Chiave1", "nuovo", file);
    const bool creato = WritePrivateProfileStringA("Parametri", "K", "V", cartella + "/Altro.INI");
    QVERIFY(disco.SolaLettura(false));
    QVERIFY(!scritto);
    QVERIFY(!creato);
    QCOMPARE(Contenuto(file), prima);
    QCOMPARE(QDir(cartella).entryList(QDir::Files | QDir::Hidden), QStringList{"Zel.INI"});
}

void TestProfiloGuasti::dueProcessiInsieme() {
    const QString file = File("insieme.INI");
    constexpr int Giri = 15;
    const QStringList prefissi = {"A", "B", "C"};
    std::vector<std::unique_ptr<QProcess>> scrittori;
    for (const QString& p : prefissi) {
        auto& s = scrittori.emplace_back(std::make_unique<QProcess>());
        s->setProcessChannelMode(QProcess::ForwardedChannels);
        s->start(QCoreApplication::applicationFilePath(),
                 {"--scrivi", file, p, QString::number(Giri)});
    }
    for (auto& s : scrittori) {
        QVERIFY(s->waitForFinished(120000));
        QCOMPARE(s->exitStatus(), QProcess::NormalExit);
        QCOMPARE(s->exitCode(), 0);
    }

    // One section, every key once, no key written lost.
    const QList<QByteArray> righe = Contenuto(file).split('\n');
    QCOMPARE(righe.size(), 1 + 4 * 4 + 1); // header, 4 keys of each writer and 4 shared, ""
    QCOMPARE(righe.first(), QByteArray("[Parametri]\r"));
    QVERIFY(righe.last().isEmpty());
    for (const QString& p : prefissi) {
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Leggi(file, "Parametri", Propria(p, i)), Valore(p, Giri - 1));
        }
    }
    for (const QString& chiave : Comuni) {
        const QString v = Leggi(file, "Parametri", chiave);
        QVERIFY2(v.endsWith("-giro-" + QString::number(Giri - 1)) &&
                     prefissi.contains(v.section(u'-', 0, 0)),
                 qPrintable(chiave + '=' + v));
    }
    QCOMPARE(QDir(cartella_.path()).entryList({"insieme.INI*"}, QDir::Files | QDir::Hidden),
             QStringList{"insieme.INI"});
}

void TestProfiloGuasti::permessiConUmaskAperta() {
    const mode_t prima = ::umask(0);
    const QString nuovo = File("umask.INI");
    const bool scritto = WritePrivateProfileStringA("Parametri", "Password", "x", nuovo);
    ::umask(prima);
    QVERIFY(scritto);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(nuovo).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
}

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--scrivi") == 0) {
        return Scrittore(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QByteArray(argv[4]).toInt());
    }
    QCoreApplication app(argc, argv);
    TestProfiloGuasti test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_profilo_guasti.moc"
