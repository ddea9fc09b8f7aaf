#include "odbc/errore.h"

namespace ado {

namespace {

// One line per record, as the message box shows them. Drivers often end
// their text with a newline; it would only leave a blank line.
QString ConRecord(const QString& descrizione, const QList<Diagnostica>& record) {
    QString testo = descrizione;
    for (const Diagnostica& d : record) {
        QString messaggio = d.testo;
        while (!messaggio.isEmpty() && messaggio.back().isSpace())
            messaggio.chop(1);
        testo +=
            QStringLiteral("\n[SQLSTATE %1] (%2) %3").arg(d.stato).arg(d.nativo).arg(messaggio);
    }
    return testo;
}

} // namespace

Errore::Errore(QString descrizione, QList<Diagnostica> record)
    : descrizione_(ConRecord(descrizione, record)), record_(std::move(record)),
      utf8_(descrizione_.toUtf8()) {}

QString Secondi(qint32 n) {
    return n == 1 ? QStringLiteral("1 secondo") : QStringLiteral("%1 secondi").arg(n);
}

} // namespace ado
