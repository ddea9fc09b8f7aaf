// The settings procedures of the start-up module.
#include "startup/inizio.h"

#include "platform/profilo.h"

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
    profilo::WritePrivateProfileStringA(sezione, chiave, riga, file);
}

} // namespace Inizio
