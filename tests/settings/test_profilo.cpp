// The profile functions, checked on the bytes of the file.
#include "settings/profilo.h"
#include "support/file_prova.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using profilo::GetPrivateProfileStringA;
using profilo::WritePrivateProfileStringA;

namespace {

mode_t Modo(const QString& file) {
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) {
        return 0;
    }
    return st.st_mode & 07777;
}

// The way the settings code calls it: 256 blanks, size 255.
QString Leggi(const QString& file, const QString& sezione, const QString& chiave,
              const QString& predefinito = QStringLiteral("#predefinito"), quint32* n = nullptr) {
    QString buffer(256, u' ');
    const quint32 letti = GetPrivateProfileStringA(sezione, chiave, predefinito, buffer, 255, file);
    if (n != nullptr) {
        *n = letti;
    }
    return buffer.left(letti);
}

} // namespace

class TestProfilo : public QObject {
    Q_OBJECT

    QTemporaryDir cartella_;
    QString File(const char* nome) const { return cartella_.filePath(QString::fromUtf8(nome)); }

  private slots:
    void nuovoFile_crlfCodificaPermessi();
    void scrittura_mantieneIlResto();
    void scrittura_accodaNellaSezioneGiusta();
    void lettura_chiaviSezioniValori();
    void lettura_taglioA254();
    void lettura_fileDisordinato();
    void lettura_fileGrande();
    void scrittura_fallitaLasciaIlFile();
};

void TestProfilo::nuovoFile_crlfCodificaPermessi() {
    const QString file = File("nuovo.INI");
    QVERIFY(WritePrivateProfileStringA("Impostazioni", "Modalità", "ODBC", file));
    QCOMPARE(Contenuto(file), QByteArray("[Impostazioni]\r\nModalit\xE0=ODBC\r\n"));
    QCOMPARE(Modo(file), mode_t(0600));

    // "€" is in the code page (0x80); "Ω" and an emoji are not: one "?" each.
    QVERIFY(WritePrivateProfileStringA("Impostazioni", "Simboli", "€Ω😀ß", file));
    QVERIFY(WritePrivateProfileStringA("Altro", "Chiave", "", file));
    QCOMPARE(Contenuto(file), QByteArray("[Impostazioni]\r\nModalit\xE0=ODBC\r\n"
                                         "Simboli=\x80??\xDF\r\n"
                                         "[Altro]\r\nChiave=\r\n"));
    QCOMPARE(Leggi(file, "IMPOSTAZIONI", "modalitÀ"), QString("ODBC"));
    QCOMPARE(Leggi(file, "Impostazioni", "Simboli"), QString("€??ß"));

    // An existing file open to others is closed to them by the next write.
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0644) == 0);
    QVERIFY(WritePrivateProfileStringA("Altro", "Chiave", "1", file));
    QCOMPARE(Modo(file), mode_t(0600));
}

void TestProfilo::scrittura_mantieneIlResto() {
    const QString file = File("resto.INI");
    const QByteArray prima = "; settings\n"
                             "[Connessione]\r\n"
                             "  utente = ROSSI  \n"
                             "Password=x\r\n"
                             "strano senza uguale\r\n"
                             "\r\n"
                             "[Istruzione]\n"
                             "Testo=SELECT \xE0\x81\n"
                             "[connessione]\r\n"
                             "Utente=SECONDA";
    Crea(file, prima);

    // The first section's line is replaced, with the given spelling and CRLF.
    QVERIFY(WritePrivateProfileStringA("CONNESSIONE", "Utente", "VERDI", file));
    QByteArray atteso = prima;
    atteso.replace("  utente = ROSSI  \n", "Utente=VERDI\r\n");
    QCOMPARE(Contenuto(file), atteso);
    QCOMPARE(Leggi(file, "Connessione", "UTENTE"), QString("VERDI"));

    // A rewritten line gets CRLF even when its text is the same; the undefined
    // byte 0x81 goes back out as it came in.
    QVERIFY(WritePrivateProfileStringA("Istruzione", "Testo", "SELECT à\u0081", file));
    atteso.replace("Testo=SELECT \xE0\x81\n", "Testo=SELECT \xE0\x81\r\n");
    QCOMPARE(Contenuto(file), atteso);
}

void TestProfilo::scrittura_accodaNellaSezioneGiusta() {
    const QString file = File("accoda.INI");
    Crea(file, "[A]\r\n"
               "Uno=1\r\n"
               "; in fondo ad A\r\n"
               "\r\n"
               "\r\n"
               "[B]\n"
               "[C]\r\n"
               "Tre=3");

    QVERIFY(WritePrivateProfileStringA("a", "Due", "2", file));     // after the last key of A
    QVERIFY(WritePrivateProfileStringA("B", "Vuota", "", file));    // right after the header
    QVERIFY(WritePrivateProfileStringA("C", "Quattro", "4", file)); // last line gets its CRLF
    QVERIFY(WritePrivateProfileStringA("D", "Cinque", "5", file));
    QCOMPARE(Contenuto(file), QByteArray("[A]\r\n"
                                         "Uno=1\r\n"
                                         "Due=2\r\n"
                                         "; in fondo ad A\r\n"
                                         "\r\n"
                                         "\r\n"
                                         "[B]\n"
                                         "Vuota=\r\n"
                                         "[C]\r\n"
                                         "Tre=3\r\n"
                                         "Quattro=4\r\n"
                                         "[D]\r\n"
                                         "Cinque=5\r\n"));
    QCOMPARE(Leggi(file, "B", "Vuota"), QString());
}

void TestProfilo::lettura_chiaviSezioniValori() {
    const QString file = File("lettura.INI");
    Crea(file, "Fuori=nessuna sezione\r\n"
               "[ Prima ]\r\n"
               "\tChiave\t=\t valore con  spazi \t\r\n"
               "Vuota=\r\n"
               "Doppia=prima\r\n"
               "Doppia=seconda\r\n"
               ";Commento=no\r\n"
               "  ; Rientrato=no\r\n"
               "Uguali=a=b\r\n"
               "[Seconda]\r\n"
               "Solo=seconda\r\n"
               "[PRIMA]\r\n"
               "Ripetuta=non letta\r\n"
               "[Strana\r\n"
               "K=v\r\n"
               "[\xC0\xC9\x8A]\r\n" // À É Š: case folding beyond ASCII
               "\xC8=\xE8\r\n");

    QCOMPARE(Leggi(file, "prima", "CHIAVE"), QString("valore con  spazi"));
    QCOMPARE(Leggi(file, "Prima", "Vuota"), QString()); // present but empty: not the default
    QCOMPARE(Leggi(file, "Prima", "Doppia"), QString("prima"));
    QCOMPARE(Leggi(file, "Prima", "Uguali"), QString("a=b"));
    QCOMPARE(Leggi(file, "Prima", "Commento"), QString("#predefinito"));
    QCOMPARE(Leggi(file, "Prima", "Rientrato"), QString("#predefinito"));
    QCOMPARE(Leggi(file, "Prima", "Solo"), QString("#predefinito")); // in another section
    QCOMPARE(Leggi(file, "Prima", "Ripetuta"), QString("#predefinito"));
    QCOMPARE(Leggi(file, "Prima", "Fuori"), QString("#predefinito"));
    QCOMPARE(Leggi(file, "Seconda", "Solo"), QString("seconda"));
    QCOMPARE(Leggi(file, "Strana", "k"), QString("v"));
    QCOMPARE(Leggi(file, "àéš", "è"), QString("è"));
    QCOMPARE(Leggi(file, "Manca", "Chiave"), QString("#predefinito"));
    QCOMPARE(Leggi(File("non_esiste.INI"), "Prima", "Chiave", "ODBC"), QString("ODBC"));
    QCOMPARE(Leggi(file, "Prima", "Manca", ""), QString());
}

void TestProfilo::lettura_taglioA254() {
    const QString file = File("taglio.INI");
    const QString lungo = QString(100, u'a') + QString(100, u'b') + QString(100, u'c');
    QVERIFY(WritePrivateProfileStringA("S", "Lungo", lungo, file));
    QVERIFY(WritePrivateProfileStringA("S", "Giusto", lungo.left(254), file));

    QString buffer(256, u' ');
    QCOMPARE(GetPrivateProfileStringA("S", "Lungo", "", buffer, 255, file), 254u);
    QCOMPARE(buffer.left(254), lungo.left(254));
    QCOMPARE(buffer[254], QChar(u'\0'));
    QCOMPARE(buffer[255], QChar(u' ')); // past the terminator: untouched

    quint32 n = 0;
    QCOMPARE(Leggi(file, "S", "Giusto", "", &n), lungo.left(254));
    QCOMPARE(n, 254u);
    QCOMPARE(Leggi(file, "S", "Manca", lungo), lungo.left(254)); // the default is cut too

    // A short value ends with '\0'; the old text after it stays.
    buffer = QStringLiteral("XXXXXX");
    QVERIFY(WritePrivateProfileStringA("S", "Breve", "ab", file));
    QCOMPARE(GetPrivateProfileStringA("S", "Breve", "", buffer, 6, file), 2u);
    QCOMPARE(buffer, QStringLiteral("ab\0XXX"));
    QCOMPARE(GetPrivateProfileStringA("S", "Lungo", "", buffer, 4, file), 3u);
    QCOMPARE(buffer, QStringLiteral("aaa\0XX"));
}

void TestProfilo::lettura_fileDisordinato() {
    const QString file = File("disordine.INI");
    QByteArray byte = "\xEF\xBB\xBF[Zelbrontica]\r\nModalit\xE0=OLEDB\r\n";
    byte += QByteArray("\0\0\0=\x01\x02\r\r\n", 9);
    byte += "\x81\x8D\x8F\x90\x9D=\x80\x9F\r\n";
    byte += "]]]\n=\n[\n[]\n[[x]]\r\n";
    byte += "[Zelbrontica]\r\nUtente=DOPPIONE\r\n";
    byte += "[zelbrontica]\nUtente=ROSSI\n";
    QRandomGenerator caso(42);
    for (int i = 0; i < 4096; ++i) {
        byte += char(caso.bounded(256));
    }
    Crea(file, byte);

    QCOMPARE(Leggi(file, "ZELBRONTICA", "Modalità"), QString("OLEDB")); // past the BOM
    QCOMPARE(Leggi(file, "Zelbrontica", "Utente"), QString("#predefinito"));
    QCOMPARE(Leggi(file, "Zelbrontica", "\u0081\u008D\u008F\u0090\u009D"), QString("€Ÿ"));
    QCOMPARE(Leggi(file, "Zelbrontica", "Manca"), QString("#predefinito"));

    // A write keeps the BOM and the garbage and lands in the first section.
    QVERIFY(WritePrivateProfileStringA("zelbrontica", "Utente", "VERDI", file));
    const QByteArray dopo = Contenuto(file);
    QVERIFY(dopo.startsWith("\xEF\xBB\xBF[Zelbrontica]\r\nModalit\xE0=OLEDB\r\n"));
    QVERIFY(dopo.endsWith(byte.right(4096 + 60)));
    QCOMPARE(Leggi(file, "Zelbrontica", "Utente"), QString("VERDI"));
}

void TestProfilo::lettura_fileGrande() {
    const QString file = File("grande.INI");
    QByteArray byte;
    byte.reserve(10 * 1024 * 1024 + 100);
    QRandomGenerator caso(7);
    while (byte.size() < 10 * 1024 * 1024) {
        byte += char(caso.bounded(256));
    }
    byte += "\r\n[Fondo]\r\nChiave=trovata\r\n";
    Crea(file, byte);

    QCOMPARE(Leggi(file, "Fondo", "Chiave"), QString("trovata"));
    QVERIFY(WritePrivateProfileStringA("Fondo", "Altra", "1", file));
    QCOMPARE(Contenuto(file), byte + "Altra=1\r\n");
}

void TestProfilo::scrittura_fallitaLasciaIlFile() {
    // A folder that is a regular file: nothing can be created under it.
    const QString nonCartella = File("file_normale");
    Crea(nonCartella, "x");
    QVERIFY(!WritePrivateProfileStringA("S", "K", "V", nonCartella + "/impossibile.INI"));
    QCOMPARE(Contenuto(nonCartella), QByteArray("x"));

    // A folder in place of the file.
    const QString cartellaAlPosto = File("cartella.INI");
    QVERIFY(QDir().mkdir(cartellaAlPosto));
    QVERIFY(!WritePrivateProfileStringA("S", "K", "V", cartellaAlPosto));
    QVERIFY(QFileInfo(cartellaAlPosto).isDir());

    if (::geteuid() == 0) {
        QSKIP("read-only folder: root writes there anyway");
    }
    const QString chiusa = File("sola_lettura");
    QVERIFY(QDir().mkdir(chiusa));
    const QString file = chiusa + "/Zel.INI";
    QVERIFY(WritePrivateProfileStringA("S", "K", "vecchio", file));
    const QByteArray prima = Contenuto(file);
    QVERIFY(::chmod(QFile::encodeName(chiusa).constData(), 0555) == 0);
    const bool scritto = WritePrivateProfileStringA("S", "K", "nuovo", file);
    ::chmod(QFile::encodeName(chiusa).constData(), 0755);
    QVERIFY(!scritto);
    QCOMPARE(Contenuto(file), prima);
    QCOMPARE(QDir(chiusa).entryList(QDir::Files | QDir::Hidden), QStringList{"Zel.INI"});
}

QTEST_GUILESS_MAIN(TestProfilo)
#include "test_profilo.moc"
