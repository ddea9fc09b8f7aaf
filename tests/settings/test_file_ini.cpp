// Which settings file start-up chooses: beside the program when that can be
// written, otherwise the user's own, and what happens when neither can.
// Closed folders are read-only memory file systems when the test runs as
// root (root writes through any permission), folders without write
// permission otherwise.
#include "support/file_prova.h"
#include "support/finestra_prova.h"
#include "support/piccolo_disco.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

namespace {

const QByteArray Predefiniti = "[Parametri]\r\nODBC=AZIENDA\r\nModalit\xE0=ODBC\r\n";

// A folder holding `file` with `contenuto` (none when empty), then closed
// to writing for as long as it lives.
class CartellaChiusa {
  public:
    CartellaChiusa(const QString& percorso, const QString& file, const QByteArray& contenuto)
        : percorso_(percorso) {
        QDir().mkpath(percorso);
        if (::geteuid() == 0) {
            disco_ = std::make_unique<PiccoloDisco>(percorso);
            if (!disco_->Montato()) {
                return;
            }
        }
        if (!contenuto.isEmpty()) {
            Crea(percorso + u'/' + file, contenuto);
        }
        chiusa_ = disco_ ? disco_->SolaLettura(true)
                         : QFile::setPermissions(percorso, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~CartellaChiusa() {
        if (!disco_) {
            QFile::setPermissions(percorso_,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    CartellaChiusa(const CartellaChiusa&) = delete;
    CartellaChiusa& operator=(const CartellaChiusa&) = delete;

    bool Chiusa() const { return chiusa_; }

  private:
    QString percorso_;
    std::unique_ptr<PiccoloDisco> disco_;
    bool chiusa_ = false;
};

QFile::Permissions Permessi(const QString& percorso) {
    return QFile::permissions(percorso) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                           QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
}

const QFile::Permissions SoloProprietario = QFile::ReadOwner | QFile::WriteOwner;
const QFile::Permissions CartellaProprietario = SoloProprietario | QFile::ExeOwner;

// Presses "elabora" with the inputs restored from `file` and a new
// statement; true when the request went on to its checks (their message
// box opened).
bool Richiesta(const QString& file) {
    FinestraProva p;
    Inizio::FileINI = file;
    Guida& g = p.apri();
    g.txtSQL.setText(QString(2000, u'S'));
    auto m = AspettaMessaggio(10000);
    g.cmdAPRI.pulsante()->click();
    return m->letto && m->titolo == QStringLiteral("Attenzione");
}

} // namespace

class TestFileIni : public QObject {
    Q_OBJECT

    QTemporaryDir radice_;
    QString programma_;
    QString configurazione_;

  private slots:
    void init();
    void accantoAlProgramma();
    void programmaInstallato();
    void cartellaUtenteCheEUnFile();
    void casaSolaLettura();
    void discoPieno();
};

void TestFileIni::init() {
    static int n = 0;
    const QString base = radice_.filePath(QString::number(++n));
    programma_ = base + QStringLiteral("/bin");
    configurazione_ = base + QStringLiteral("/casa/.config");
    QVERIFY(QDir().mkpath(programma_));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configurazione_));
}

void TestFileIni::accantoAlProgramma() {
    const auto scelta = Inizio::ScegliFileINI(programma_, "Zel");
    QCOMPARE(scelta.percorso, programma_ + "/Zel.INI");
    QVERIFY(scelta.avviso.isEmpty());
    QVERIFY(!QFileInfo::exists(configurazione_)); // nothing made elsewhere

    // A file already there is kept as it is.
    Crea(programma_ + "/Zel.INI", Predefiniti);
    QCOMPARE(Inizio::ScegliFileINI(programma_, "Zel").percorso, programma_ + "/Zel.INI");
    QCOMPARE(Contenuto(programma_ + "/Zel.INI"), Predefiniti);
}

void TestFileIni::programmaInstallato() {
    const CartellaChiusa bin(programma_, "Zel.INI", Predefiniti);
    if (!bin.Chiusa()) {
        QSKIP("cannot close a folder to writing here");
    }
    const QString utente = configurazione_ + "/zelbrontica/Zel.INI";
    QCOMPARE(Inizio::ScegliFileINI(programma_, "Zel", false).percorso, utente);
    QVERIFY(!QFileInfo::exists(configurazione_)); // only named

    // The administrator's defaults are copied, owner-only.
    const auto scelta = Inizio::ScegliFileINI(programma_, "Zel");
    QCOMPARE(scelta.percorso, utente);
    QVERIFY(scelta.avviso.isEmpty());
    QCOMPARE(Contenuto(utente), Predefiniti);
    QCOMPARE(Permessi(utente), SoloProprietario);
    QCOMPARE(Permessi(configurazione_ + "/zelbrontica"), CartellaProprietario);
    QCOMPARE(Permessi(configurazione_), CartellaProprietario);

    // The user's values are kept there and win over the defaults next time.
    Inizio::ScriviINI(utente, "Parametri", "ODBC", "MIA");
    QCOMPARE(Inizio::ScegliFileINI(programma_, "Zel").percorso, utente);
    QCOMPARE(Inizio::LeggiINI(utente, "Parametri", "ODBC", ""), QString("MIA"));
    QCOMPARE(Inizio::LeggiINI(utente, "Parametri", "Modalità", ""), QString("ODBC"));

    // No defaults beside the program: the user's file is made at the first
    // write. A relative XDG_CONFIG_HOME is ignored for ~/.config.
    const QString casa = radice_.filePath("casa_relativa");
    qputenv("HOME", QFile::encodeName(casa));
    qputenv("XDG_CONFIG_HOME", "relativa");
    const auto senzaPredefiniti = Inizio::ScegliFileINI(programma_, "Altro");
    QCOMPARE(senzaPredefiniti.percorso, casa + "/.config/zelbrontica/Altro.INI");
    QVERIFY(!QFileInfo::exists(senzaPredefiniti.percorso));
    QVERIFY(Richiesta(senzaPredefiniti.percorso));
    QVERIFY(Contenuto(senzaPredefiniti.percorso).contains("Statement=SSS"));
    QCOMPARE(Permessi(senzaPredefiniti.percorso), SoloProprietario);
}

void TestFileIni::cartellaUtenteCheEUnFile() {
    const CartellaChiusa bin(programma_, "Zel.INI", Predefiniti);
    if (!bin.Chiusa()) {
        QSKIP("cannot close a folder to writing here");
    }
    QVERIFY(QDir().mkpath(configurazione_));
    Crea(configurazione_ + "/zelbrontica", "non una cartella");

    const auto scelta = Inizio::ScegliFileINI(programma_, "Zel");
    QCOMPARE(scelta.percorso, programma_ + "/Zel.INI"); // the defaults are still read
    QVERIFY(scelta.avviso.startsWith("Zel: le impostazioni non possono essere salvate"));
    QVERIFY(!scelta.avviso.contains(u'\n'));
    QCOMPARE(Contenuto(configurazione_ + "/zelbrontica"), QByteArray("non una cartella"));

    QVERIFY(Richiesta(scelta.percorso));
    QCOMPARE(Contenuto(programma_ + "/Zel.INI"), Predefiniti);
}

void TestFileIni::casaSolaLettura() {
    const CartellaChiusa bin(programma_, "Zel.INI", Predefiniti);
    // The user's file from before the home turned read-only.
    const QByteArray precedente = "[Parametri]\r\nODBC=PRIMA\r\nStatement=SELECT 1\r\n";
    const QString utente = configurazione_ + "/zelbrontica/Zel.INI";
    const CartellaChiusa casa(configurazione_ + "/zelbrontica", "Zel.INI", precedente);
    if (!bin.Chiusa() || !casa.Chiusa()) {
        QSKIP("cannot close a folder to writing here");
    }
    const auto scelta = Inizio::ScegliFileINI(programma_, "Zel");
    QVERIFY(!scelta.avviso.isEmpty());
    QCOMPARE(scelta.percorso, utente); // the latest values are still read
    QCOMPARE(Inizio::LeggiINI(scelta.percorso, "Parametri", "ODBC", ""), QString("PRIMA"));
    QVERIFY(Richiesta(scelta.percorso));
    QCOMPARE(Contenuto(utente), precedente);
    QCOMPARE(Contenuto(programma_ + "/Zel.INI"), Predefiniti);
}

void TestFileIni::discoPieno() {
    const PiccoloDisco disco(programma_);
    if (!disco.Montato()) {
        QSKIP("cannot mount a small file system here (needs root)");
    }
    const QString file = programma_ + "/Zel.INI";
    Crea(file, Predefiniti);
    QFile riempitivo(programma_ + "/riempitivo");
    QVERIFY(riempitivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray blocco(4096, 'x');
    while (riempitivo.write(blocco) == blocco.size()) {
    }
    riempitivo.close();

    // The folder may be written, so the file stays beside the program; the
    // writes fail, the request goes on and the file is kept whole.
    const auto scelta = Inizio::ScegliFileINI(programma_, "Zel");
    QCOMPARE(scelta.percorso, file);
    QVERIFY(Richiesta(file));
    QCOMPARE(Contenuto(file), Predefiniti);
    QVERIFY(!QFileInfo::exists(configurazione_));
}

QTEST_MAIN(TestFileIni)
#include "test_file_ini.moc"
