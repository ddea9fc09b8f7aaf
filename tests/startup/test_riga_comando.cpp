// The program's command line, run as a user would: --help and --version
// answer without a display; anything else opens the window as before.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString Programma = QStringLiteral(ZEL_PROGRAMMA);

// No display at all: a program that touched the window system would fail.
QProcessEnvironment SenzaDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

struct Esito {
    int codice = -1;
    QString uscita;
    QString errori;
};

Esito Esegui(const QStringList& argomenti) {
    QProcess p;
    p.setProcessEnvironment(SenzaDisplay());
    p.start(Programma, argomenti);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestRigaComando : public QObject {
    Q_OBJECT

  private slots:
    void versioneEGuida();
    void altriArgomenti();
};

void TestRigaComando::versioneEGuida() {
    for (const char* opzione : {"--version", "-v"}) {
        const Esito e = Esegui({opzione});
        QCOMPARE(e.codice, 0);
        QVERIFY(QRegularExpression("^Zelbrontica \\d+\\.\\d\\d\n$").match(e.uscita).hasMatch());
        QCOMPARE(e.errori, QString());
    }
    // After a Qt option, as the first word that is ours.
    for (const QStringList& argomenti : {QStringList{"--help"}, {"-style", "fusion", "-h"}}) {
        const Esito e = Esegui(argomenti);
        QCOMPARE(e.codice, 0);
        QVERIFY(e.uscita.startsWith("Uso: zelbrontica [opzioni]\n"));
        QVERIFY(e.uscita.contains("  -h, --help "));
        QVERIFY(e.uscita.contains("  -v, --version "));
        // The build folder can be written: the file beside the program.
        const QString ini = QFileInfo(Programma).absolutePath() + "/zelbrontica.INI";
        QVERIFY2(e.uscita.endsWith("File delle impostazioni: " + ini + "\n"), qPrintable(e.uscita));
        QCOMPARE(e.errori, QString());
    }
}

void TestRigaComando::altriArgomenti() {
    // An unknown argument is ignored and Qt's -platform still chooses the
    // window system: the window opens and stays open.
    QProcess p;
    QProcessEnvironment env = SenzaDisplay();
    env.insert("XDG_CONFIG_HOME", QDir::tempPath() + "/zelbrontica-test-inesistente");
    p.setProcessEnvironment(env);
    p.start(Programma, {"-platform", "offscreen", "--sconosciuta", "file.txt"});
    QVERIFY(p.waitForStarted());
    QVERIFY(!p.waitForFinished(1500));
    p.terminate();
    QVERIFY(p.waitForFinished(10000));
    QVERIFY(p.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestRigaComando)
#include "test_riga_comando.moc"
