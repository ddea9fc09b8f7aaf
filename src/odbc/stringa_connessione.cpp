#include "odbc/stringa_connessione.h"
#include "odbc/errore.h"

#include <QRegularExpression>

namespace ado {

namespace {

using Coppie = QList<QPair<QString, QString>>;

// The value's position among the pairs, keys compared without case; -1 when absent.
qsizetype Trova(const Coppie& coppie, QStringView chiave) {
    for (qsizetype i = 0; i < coppie.size(); ++i) {
        if (coppie[i].first.compare(chiave, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// A repeated key replaces the value and keeps the first one's place.
void Metti(Coppie& coppie, const QString& chiave, const QString& valore) {
    qsizetype i = Trova(coppie, chiave);
    if (i < 0)
        coppie.append({chiave, valore});
    else
        coppie[i].second = valore;
}

QString ValoreChiave(const Coppie& coppie, QStringView chiave) {
    qsizetype i = Trova(coppie, chiave);
    return i < 0 ? QString() : coppie[i].second;
}

// Messages name keys at most: a value may be (part of) a password.
[[noreturn]] void NonValida(const QString& motivo) {
    throw Errore(QStringLiteral("Stringa di connessione non valida: %1").arg(motivo));
}

// A value as the driver must read it back: in braces, with "}" doubled, when
// it holds a character that would end or quote it, or blanks the driver
// would drop.
QString Quota(const QString& valore) {
    const bool semplice =
        !valore.contains(u';') && !valore.contains(u'{') && !valore.contains(u'}') &&
        (valore.isEmpty() || (!valore.front().isSpace() && !valore.back().isSpace()));
    if (semplice)
        return valore;
    QString dentro = valore;
    dentro.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + dentro + u'}';
}

// The key the ODBC driver understands for a key of the ODBC provider.
QString ChiaveOdbc(const QString& chiave) {
    if (chiave.compare(u"User ID", Qt::CaseInsensitive) == 0)
        return QStringLiteral("UID");
    if (chiave.compare(u"Password", Qt::CaseInsensitive) == 0)
        return QStringLiteral("PWD");
    if (chiave.compare(u"Data Source", Qt::CaseInsensitive) == 0)
        return QStringLiteral("DSN");
    return chiave;
}

// "{...}" with every "}" inside doubled: a value in ODBC's own braces.
bool TraGraffe(QStringView valore) {
    if (valore.size() < 2 || !valore.startsWith(u'{') || !valore.endsWith(u'}'))
        return false;
    const QStringView dentro = valore.sliced(1, valore.size() - 2);
    for (qsizetype i = 0; i < dentro.size(); ++i) {
        if (dentro[i] == u'}' && (++i == dentro.size() || dentro[i] != u'}'))
            return false;
    }
    return true;
}

QString Unisci(const Coppie& odbc) {
    QStringList parti;
    for (const auto& [chiave, valore] : odbc) {
        // "Driver={SQLite3}" is written already in ODBC's own form.
        const bool giaQuotato =
            chiave.compare(u"DRIVER", Qt::CaseInsensitive) == 0 && TraGraffe(valore);
        parti << chiave + u'=' + (giaQuotato ? valore : Quota(valore));
    }
    return parti.join(u';');
}

} // namespace

QList<QPair<QString, QString>> AnalizzaStringaAdo(const QString& ado) {
    Coppie coppie;
    const qsizetype n = ado.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype j = i;
        while (j < n && ado[j] != u'=' && ado[j] != u';')
            ++j;
        const QString chiave = ado.mid(i, j - i).trimmed();
        if (j == n || ado[j] == u';') {
            if (!chiave.isEmpty())
                NonValida(QStringLiteral("una parte non ha la forma chiave=valore (se la "
                                         "password contiene «;», scrivila tra virgolette)."));
            i = j + 1;
            continue;
        }
        if (chiave.isEmpty())
            NonValida(QStringLiteral("manca il nome prima di «=»."));

        QString valore;
        qsizetype k = j + 1;
        if (k < n && (ado[k] == u'"' || ado[k] == u'\'')) {
            const QChar virgoletta = ado[k++];
            for (;;) {
                if (k >= n)
                    NonValida(QStringLiteral("manca la virgoletta di chiusura del valore di «%1».")
                                  .arg(chiave));
                if (ado[k] == virgoletta) {
                    if (k + 1 < n && ado[k + 1] == virgoletta) {
                        valore += virgoletta;
                        k += 2;
                        continue;
                    }
                    ++k;
                    break;
                }
                valore += ado[k++];
            }
            for (; k < n && ado[k] != u';'; ++k) {
                if (!ado[k].isSpace())
                    NonValida(QStringLiteral("testo dopo la virgoletta di chiusura del valore "
                                             "di «%1».")
                                  .arg(chiave));
            }
        } else {
            qsizetype fine = ado.indexOf(u';', k);
            if (fine < 0)
                fine = n;
            valore = ado.mid(k, fine - k);
            k = fine;
        }
        Metti(coppie, chiave, valore);
        i = k + 1;
    }
    return coppie;
}

QString StringaOdbc(const QString& ado) {
    const Coppie coppie = AnalizzaStringaAdo(ado);
    if (coppie.isEmpty())
        throw Errore(QStringLiteral("La stringa di connessione è vuota."));

    static const QRegularExpression odbc(QStringLiteral("^MSDASQL(\\.\\d+)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ibmi(QStringLiteral("^IBMDA400(\\.DataSource\\.1)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString provider = ValoreChiave(coppie, u"Provider").trimmed();
    Coppie risultato;
    if (provider.isEmpty() || odbc.match(provider).hasMatch()) {
        for (const auto& [chiave, valore] : coppie) {
            if (chiave.compare(u"Provider", Qt::CaseInsensitive) == 0 ||
                chiave.compare(u"Persist Security Info", Qt::CaseInsensitive) == 0)
                continue;
            Metti(risultato, ChiaveOdbc(chiave), valore);
        }
    } else if (ibmi.match(provider).hasMatch()) {
        risultato.append({QStringLiteral("DRIVER"), QStringLiteral("{IBM i Access ODBC Driver}")});
        for (const auto& [ado_, odbc_] :
             {std::pair{u"Data Source", u"SYSTEM"}, {u"User ID", u"UID"}, {u"Password", u"PWD"}}) {
            if (Trova(coppie, ado_) >= 0)
                risultato.append({QString::fromUtf16(odbc_), ValoreChiave(coppie, ado_)});
        }
    } else {
        throw Errore(QStringLiteral("Il provider «%1» non è supportato: si usano solo "
                                    "sorgenti dati ODBC e IBMDA400.")
                         .arg(provider));
    }
    return Unisci(risultato);
}

} // namespace ado
