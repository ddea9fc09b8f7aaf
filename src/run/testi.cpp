#include "run/testi.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>
#include <limits>

namespace testi {

QString RigaCampoAlf(QStringView nome, qsizetype lunghezza) {
    return nome.toString() + QStringLiteral(" ALF ") + QString::number(lunghezza) + u' ';
}

QString RigaCampoNum(QStringView nome, quint8 precisione, quint8 scala) {
    return nome.toString() + QStringLiteral(" NUM  ") + QString::number(precisione) + u',' +
           QString::number(scala);
}

QString Formato6(double secondi) {
    const double intero = std::round(secondi);
    if (intero == 0) {
        return {};
    }
    return QString::number(intero, 'f', 0);
}

qint64 Adesso() { return QDateTime::currentSecsSinceEpoch(); }

namespace {

bool Cifra(QChar c) { return c >= u'0' && c <= u'9'; }

qsizetype Cifre(QStringView testo) {
    qsizetype n = 0;
    while (n < testo.size() && Cifra(testo[n])) {
        ++n;
    }
    return n;
}

} // namespace

qint32 CLng(const QString& testo) {
    QStringView resto(testo);
    while (resto.startsWith(u' ')) {
        resto = resto.sliced(1);
    }
    while (resto.endsWith(u' ')) {
        resto.chop(1);
    }

    bool negativo = false;
    if (resto.startsWith(u'+') || resto.startsWith(u'-')) {
        negativo = resto.front() == u'-';
        resto = resto.sliced(1);
    }
    const QStringView intera = resto.first(Cifre(resto));
    resto = resto.sliced(intera.size());

    QStringView decimali;
    const QString separatore = QLocale().decimalPoint();
    if (resto.startsWith(u'.') || (!separatore.isEmpty() && resto.startsWith(separatore))) {
        resto = resto.sliced(resto.startsWith(u'.') ? 1 : separatore.size());
        decimali = resto.first(Cifre(resto));
        resto = resto.sliced(decimali.size());
    }
    if (!resto.isEmpty() || (intera.isEmpty() && decimali.isEmpty())) {
        throw ErroreRun(QStringLiteral("Tipo non corrispondente"));
    }

    // Whole part, stopping well past the 32-bit range so it cannot wrap.
    constexpr qint64 Limite = qint64{1} << 40;
    qint64 valore = 0;
    for (const QChar c : intera) {
        valore = std::min(valore * 10 + (c.unicode() - u'0'), Limite);
    }
    // Half to even: .5 exactly rounds to the even neighbour.
    if (!decimali.isEmpty()) {
        const int prima = decimali.front().unicode() - u'0';
        bool altreCifre = false;
        for (const QChar c : decimali.sliced(1)) {
            altreCifre = altreCifre || c != u'0';
        }
        if (prima > 5 || (prima == 5 && (altreCifre || valore % 2 != 0))) {
            ++valore;
        }
    }
    if (negativo) {
        valore = -valore;
    }
    if (valore < std::numeric_limits<qint32>::min() ||
        valore > std::numeric_limits<qint32>::max()) {
        throw ErroreRun(QStringLiteral("Overflow"));
    }
    return static_cast<qint32>(valore);
}

} // namespace testi
