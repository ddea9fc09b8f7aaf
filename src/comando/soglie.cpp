#include "comando/soglie.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace soglie {

namespace {

constexpr double Infinito = std::numeric_limits<double>::infinity();

// One end of a range: a finite number with a dot for decimals.
std::optional<double> Estremo(QStringView testo) {
    bool ok = false;
    const double v = testo.toDouble(&ok); // C locale: dot only
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString Perf(const Misura& m) {
    QString etichetta = m.etichetta;
    etichetta.replace(u'\'', QStringLiteral("''"));
    const QString valore = m.valore ? Numero(*m.valore) + m.unita : QStringLiteral("U");
    return QStringLiteral("'%1'=%2;%3;%4;0")
        .arg(etichetta, valore, m.avviso ? m.avviso->testo : QString(),
             m.critico ? m.critico->testo : QString());
}

} // namespace

QString NomeStato(Stato s) {
    switch (s) {
    case Stato::Ok:
        return QStringLiteral("OK");
    case Stato::Warning:
        return QStringLiteral("WARNING");
    case Stato::Critical:
        return QStringLiteral("CRITICAL");
    case Stato::Unknown:
        break;
    }
    return QStringLiteral("UNKNOWN");
}

std::optional<Stato> LeggiStato(QStringView nome) {
    for (const Stato s : {Stato::Ok, Stato::Warning, Stato::Critical, Stato::Unknown}) {
        if (nome.compare(NomeStato(s), Qt::CaseInsensitive) == 0)
            return s;
    }
    return std::nullopt;
}

bool Intervallo::Allarme(double valore) const {
    const bool fuori = valore < inizio || valore > fine;
    return dentro ? !fuori : fuori;
}

std::optional<Intervallo> LeggiIntervallo(QStringView testo, QString& errore) {
    const QStringView t = testo.trimmed();
    Intervallo r;
    r.testo = t.toString();
    QStringView resto = t;
    r.dentro = resto.startsWith(u'@');
    if (r.dentro)
        resto = resto.sliced(1);
    const qsizetype duepunti = resto.indexOf(u':');
    const QStringView primo = duepunti < 0 ? QStringView() : resto.first(duepunti);
    const QStringView secondo = duepunti < 0 ? resto : resto.sliced(duepunti + 1);
    const std::optional<double> inizio = primo == u"~"     ? -Infinito
                                         : primo.isEmpty() ? 0.0
                                                           : Estremo(primo);
    const std::optional<double> fine =
        duepunti >= 0 && secondo.isEmpty() ? Infinito : Estremo(secondo);
    const bool blank = std::any_of(t.begin(), t.end(), [](QChar c) { return c.isSpace(); });
    if (!inizio || !fine || blank) {
        errore = QStringLiteral("Intervallo non valido «%1»: si scrive [@]inizio:fine con il "
                                "punto per i decimali, come 10, 10:, ~:10, 10:20, @10:20 o 0.5.")
                     .arg(r.testo);
        return std::nullopt;
    }
    if (*inizio > *fine) {
        errore =
            QStringLiteral("Intervallo non valido «%1»: l'inizio supera la fine.").arg(r.testo);
        return std::nullopt;
    }
    r.inizio = *inizio;
    r.fine = *fine;
    return r;
}

Esito Valuta(const QList<Misura>& misure, QStringView sintesi) {
    Esito esito{Stato::Ok, sintesi.toString()};
    // Worse first: CRITICAL, WARNING, UNKNOWN, OK.
    constexpr int Gravita[] = {0, 2, 3, 1};
    for (const Misura& m : misure) {
        const auto& [soglia, nome, stato] =
            m.critico && (!m.valore || m.critico->Allarme(*m.valore))
                ? std::tuple{m.critico, QStringLiteral("critico"), Stato::Critical}
                : std::tuple{m.avviso, QStringLiteral("avviso"), Stato::Warning};
        if (!soglia || (m.valore && !soglia->Allarme(*m.valore)))
            continue;
        const QString misura =
            m.valore ? QStringLiteral("%1 %2").arg(Numero(*m.valore), m.unita).trimmed()
                     : QStringLiteral("senza misura");
        esito.testo += QStringLiteral("%1%2 %3 (%4 %5)")
                           .arg(esito.testo.isEmpty() ? QString() : QStringLiteral("; "),
                                m.etichetta, misura, nome, soglia->testo);
        const Stato s = m.valore ? stato : Stato::Unknown;
        if (Gravita[static_cast<int>(s)] > Gravita[static_cast<int>(esito.stato)])
            esito.stato = s;
    }
    return esito;
}

Esito Fallimento(QStringView descrizione) { return {Stato::Critical, descrizione.toString()}; }

Esito Scadenza(Stato scelto, double secondi, QStringView fase) {
    return {
        scelto,
        QStringLiteral("tempo scaduto: nessun esito dopo %1 s (%2)").arg(Numero(secondi), fase)};
}

Esito ErroreUso(QStringView messaggio) { return {Stato::Unknown, messaggio.toString()}; }

QString RigaStato(const Esito& esito, const QList<Misura>& misure) {
    QString testo = esito.testo;
    testo.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    testo.replace(u'\r', u' ').replace(u'\n', u' ').replace(u'|', u'¦');
    QString riga = QStringLiteral("ZELBRONTICA %1 - %2").arg(NomeStato(esito.stato), testo);
    if (!misure.isEmpty())
        riga += QStringLiteral(" |");
    for (const Misura& m : misure)
        riga += u' ' + Perf(m);
    return riga;
}

QString Numero(double valore) {
    const double arrotondato = std::round(valore * 1e6) / 1e6;
    return QString::number(arrotondato == 0 ? 0.0 : arrotondato, 'f',
                           QLocale::FloatingPointShortest);
}

} // namespace soglie
