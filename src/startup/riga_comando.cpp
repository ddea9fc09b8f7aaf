// The two options the program answers itself, before the window system is
// touched: --help and --version. Every other argument is Qt's (-platform,
// -style...) or ignored.
#include "startup/inizio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace Inizio {
namespace {

// The executable's own path, without an application object.
QFileInfo Eseguibile(const char* argv0) {
    const QString proc = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return QFileInfo(proc.isEmpty() ? QFile::decodeName(argv0) : proc);
}

bool Una(const char* argomento, const char* breve, const char* lunga) {
    return std::strcmp(argomento, breve) == 0 || std::strcmp(argomento, lunga) == 0;
}

int Scrivi(const QString& testo) {
    const QByteArray byte = testo.toUtf8();
    std::fwrite(byte.constData(), 1, static_cast<std::size_t>(byte.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

QString TestoVersione() { return QStringLiteral(ZEL_PRODUCT " " ZEL_VERSION_TEXT "\n"); }

QString TestoGuida(const QString& programma, const QString& fileIni) {
    return QStringLiteral("Uso: %1 [opzioni]\n"
                          "Verifica una sorgente dati ODBC e cronometra un'istruzione SQL.\n"
                          "\n"
                          "Opzioni:\n"
                          "  -h, --help     mostra questa guida ed esce\n"
                          "  -v, --version  mostra la versione ed esce\n"
                          "\n"
                          "Le opzioni di Qt, come -platform e -style, valgono come sempre; "
                          "ogni altro argomento è ignorato.\n"
                          "\n"
                          "File delle impostazioni: %2\n")
        .arg(programma, QDir::toNativeSeparators(fileIni));
}

std::optional<int> RigaDiComando(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (Una(argv[i], "-h", "--help")) {
            const QFileInfo eseguibile = Eseguibile(argv[0]);
            const QString nome = eseguibile.completeBaseName();
            return Scrivi(
                TestoGuida(nome, ScegliFileINI(eseguibile.absolutePath(), nome, false).percorso));
        }
        if (Una(argv[i], "-v", "--version")) {
            return Scrivi(TestoVersione());
        }
    }
    return std::nullopt;
}

} // namespace Inizio
