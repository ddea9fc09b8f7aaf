// Where the settings file lives: beside the program whenever it can be
// written or created there (a copied, portable program), otherwise in the
// user's own configuration folder (an installed program in a folder the user
// cannot write).
#include "settings/impostazioni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Inizio {
namespace {

bool Accessibile(const QString& percorso, int modo) {
    return ::access(QFile::encodeName(percorso).constData(), modo) == 0;
}

// The profile functions can replace or create the file: its folder takes new
// files, and the file, when there, is a plain file that may be written.
bool Scrivibile(const QString& file) {
    const QFileInfo info(file);
    if (!Accessibile(info.absolutePath(), W_OK | X_OK)) {
        return false;
    }
    if (!info.exists() && !info.isSymLink()) {
        return true;
    }
    return info.isFile() && Accessibile(file, W_OK);
}

// Creates the folder and any missing parent, each for its owner only.
bool CreaCartella(const QString& cartella) {
    const QFileInfo info(cartella);
    if (info.isDir()) {
        return true;
    }
    if (info.exists() || info.isSymLink()) {
        return false; // a file, or a link to nowhere, stands in the way
    }
    const QString padre = info.absolutePath();
    if (padre != info.absoluteFilePath() && !CreaCartella(padre)) {
        return false;
    }
    return ::mkdir(QFile::encodeName(cartella).constData(), S_IRWXU) == 0 ||
           (errno == EEXIST && QFileInfo(cartella).isDir());
}

// The administrator's defaults beside the program become the user's first
// settings; without a readable file there is nothing to copy.
bool CopiaPredefiniti(const QString& da, const QString& a) {
    QFile origine(da);
    if (!origine.exists() || !origine.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray contenuto = origine.readAll();
    QSaveFile copia(a);
    if (!copia.open(QIODevice::WriteOnly) ||
        !copia.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        copia.write(contenuto) != contenuto.size()) {
        copia.cancelWriting();
        return false;
    }
    return copia.commit();
}

} // namespace

QString CartellaUtente() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/zelbrontica");
}

SceltaINI ScegliFileINI(const QString& cartella, const QString& nome, bool prepara) {
    const QString accanto = PercorsoINI(cartella, nome);
    if (Scrivibile(accanto)) {
        return {accanto, {}};
    }
    const QString dellUtente = CartellaUtente() + u'/' + nome + QStringLiteral(".INI");
    if (!prepara) {
        return {dellUtente, {}};
    }
    if (CreaCartella(CartellaUtente()) && Scrivibile(dellUtente) &&
        (QFileInfo::exists(dellUtente) || CopiaPredefiniti(accanto, dellUtente))) {
        return {dellUtente, {}};
    }
    // Nowhere to write: the values typed are not remembered. The window says
    // nothing, and the latest settings found are still read.
    const QString letto = QFileInfo(dellUtente).isFile() ? dellUtente : accanto;
    return {letto, QStringLiteral("%1: le impostazioni non possono essere salvate né in %2 né in "
                                  "%3; i valori inseriti non saranno ricordati.")
                       .arg(nome, QDir::toNativeSeparators(accanto),
                            QDir::toNativeSeparators(dellUtente))};
}

} // namespace Inizio
