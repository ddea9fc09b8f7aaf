// The settings procedures of the start-up module.
#include "settings/impostazioni.h"

#include "settings/profilo.h"

#include <QDir>
#include <cstdio>

namespace Inizio {

QString FileINI;

QString PercorsoINI(const QString& cartella, const QString& nome) {
    return cartella + u'/' + nome + QStringLiteral(".INI");
}

QString LeggiINI(const QString& file, const QString& sezione, const QString& chiave,
                 const QString& predefinito) {
    QString buffer(256, u' ');
    const quint32 n =
        profilo::GetPrivateProfileStringA(sezione, chiave, predefinito, buffer, 255, file);
    return buffer.left(n);
}

void ScriviINI(const QString& file, const QString& sezione, const QString& chiave,
               const QString& valore) {
    // One line per key: each CR and each LF becomes a blank.
    QString riga = valore;
    riga.replace(u'\r', u' ').replace(u'\n', u' ');
    if (!profilo::WritePrivateProfileStringA(sezione, chiave, riga, file)) {
        Segnala(QStringLiteral("Impossibile salvare le impostazioni in %1.")
                    .arg(QDir::toNativeSeparators(file)));
    }
}

void Segnala(const QString& riga) {
    static bool segnalato = false;
    if (!segnalato) {
        segnalato = true;
        std::fprintf(stderr, "%s\n", qPrintable(riga));
    }
}

} // namespace Inizio
