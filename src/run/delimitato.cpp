#include "run/delimitato.h"

#include <QStringEncoder>
#include <algorithm>

namespace delimitato {

namespace {

constexpr char16_t Virgolette = u'"';

char16_t Separatore(Formato f) { return f == Formato::Csv ? u',' : u'\t'; }

// What writing a value takes, from one pass over it: whether it goes between
// quotes, and how many quotes it holds (each written twice).
struct Esame {
    bool tra_virgolette = false;
    qsizetype virgolette = 0;
};

Esame Esamina(QStringView valore, Formato f) {
    const char16_t separatore = Separatore(f);
    Esame esame;
    for (const QChar c : valore) {
        const char16_t u = c.unicode();
        if (u == Virgolette)
            ++esame.virgolette;
        else if (u == separatore || u == u'\r' || u == u'\n')
            esame.tra_virgolette = true;
    }
    esame.tra_virgolette = esame.tra_virgolette || esame.virgolette > 0 || valore.isEmpty() ||
                           (f == Formato::Csv && valore == u"\\.");
    return esame;
}

// Room for `altri` more units at the end of `uscita`, growing it geometrically
// so that a row appended field by field costs amortised constant time.
template <typename Testo> void Spazio(Testo& uscita, qsizetype altri) {
    const qsizetype serve = uscita.size() + altri;
    if (serve > uscita.capacity())
        uscita.reserve(std::max(serve, uscita.capacity() * 2));
}

// Calls `pezzo` for each stretch of `valore` between its quotes and
// `virgoletta` for each quote, in order.
template <typename Pezzo, typename Virgoletta>
void PerPezzi(QStringView valore, Pezzo pezzo, Virgoletta virgoletta) {
    qsizetype inizio = 0;
    for (qsizetype i = valore.indexOf(QChar(Virgolette)); i >= 0;
         i = valore.indexOf(QChar(Virgolette), inizio)) {
        pezzo(valore.sliced(inizio, i - inizio));
        virgoletta();
        inizio = i + 1;
    }
    pezzo(valore.sliced(inizio));
}

} // namespace

void AccodaCampo(QByteArray& uscita, QStringView valore, bool nullo, bool primo, Formato f) {
    const Esame esame = nullo ? Esame{} : Esamina(valore, f);
    QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    const qsizetype inizio = uscita.size();
    const qsizetype massimo =
        3 + esame.virgolette + (nullo ? 0 : utf8.requiredSpace(valore.size()));
    Spazio(uscita, massimo);
    uscita.resize(inizio + massimo);
    char* p = uscita.data() + inizio;
    if (!primo)
        *p++ = static_cast<char>(Separatore(f));
    if (!nullo) {
        if (!esame.tra_virgolette) {
            p = utf8.appendToBuffer(p, valore);
        } else {
            *p++ = '"';
            PerPezzi(
                valore, [&](QStringView pezzo) { p = utf8.appendToBuffer(p, pezzo); },
                [&] {
                    *p++ = '"';
                    *p++ = '"';
                });
            *p++ = '"';
        }
    }
    uscita.resize(p - uscita.constData());
}

void FineRiga(QByteArray& uscita, Formato f) {
    uscita.append(f == Formato::Csv ? QByteArrayView("\r\n") : QByteArrayView("\n"));
}

void AccodaCampo(QString& uscita, QStringView valore, bool nullo, bool primo, Formato f) {
    const Esame esame = nullo ? Esame{} : Esamina(valore, f);
    Spazio(uscita, 3 + esame.virgolette + (nullo ? 0 : valore.size()));
    if (!primo)
        uscita.append(QChar(Separatore(f)));
    if (nullo)
        return;
    if (!esame.tra_virgolette) {
        uscita.append(valore);
        return;
    }
    uscita.append(QChar(Virgolette));
    PerPezzi(
        valore, [&](QStringView pezzo) { uscita.append(pezzo); },
        [&] { uscita.append(QStringView(u"\"\"")); });
    uscita.append(QChar(Virgolette));
}

void FineRiga(QString& uscita, Formato f) {
    uscita.append(f == Formato::Csv ? QStringView(u"\r\n") : QStringView(u"\n"));
}

} // namespace delimitato
