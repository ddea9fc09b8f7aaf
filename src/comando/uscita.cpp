#include "comando/uscita.h"

#include "comando/soglie.h"
#include "comando/statistiche.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>

namespace {

using Campo = std::optional<double> Giro::*;

struct Fase {
    const char* nome; // as the CSV and JSON fields, without "_ms"
    std::optional<double> (*valore)(const Giro&);
};

const std::array<Fase, 5> Fasi{{
    {"connessione", [](const Giro& g) { return g.connessione; }},
    {"istruzione", [](const Giro& g) { return g.istruzione; }},
    {"conteggio", [](const Giro& g) { return g.conteggio; }},
    {"caricamento", [](const Giro& g) { return g.caricamento; }},
    {"totale", [](const Giro& g) { return std::optional<double>(g.totale); }},
}};

double Arrotonda(double ms) { return std::round(ms * 1000) / 1000; }

QString Numero(std::optional<double> v) {
    return v ? QString::number(Arrotonda(*v), 'f', 3) : QString();
}

QJsonValue Json(std::optional<double> v) { return v ? QJsonValue(Arrotonda(*v)) : QJsonValue(); }

std::optional<statistiche::Riassunto> Riassunto(const QList<Giro>& giri, const Fase& f) {
    QList<double> valori;
    for (const Giro& g : giri)
        if (g.esito == EsitoGiro::Completata && f.valore(g))
            valori << *f.valore(g);
    return statistiche::Riassumi(valori);
}

int Codice(EsitoGiro e, int interruzione) {
    switch (e) {
    case EsitoGiro::Completata:
        return 0;
    case EsitoGiro::Interrotta:
        return interruzione;
    case EsitoGiro::ConnessioneFallita:
        return 3;
    case EsitoGiro::IstruzioneFallita:
        return 4;
    case EsitoGiro::Scaduta:
        return 5;
    }
    return 1;
}

QByteArray Testo(const Opzioni& o, const QList<Giro>& giri) {
    QString t;
    const Giro& g = giri.last();
    t += o.nome + u'\n';
    if (!g.stato.isEmpty())
        t += g.stato + u'\n';
    if (!g.errore.isEmpty())
        t += QStringLiteral("Errori Durante Elaborazione\nStringa di Connessione: ") +
             ConnessioneVisibile(o.richiesta) + QStringLiteral("\nErrore: ") + g.errore + u'\n';
    if (g.connessione)
        t += QStringLiteral("Connessione: ") + Numero(g.connessione) + QStringLiteral(" ms\n");
    if (!g.tempi.isEmpty())
        t += g.tempi + u'\n';
    t += QStringLiteral("Totale: ") + Numero(g.totale) + QStringLiteral(" ms\n");
    if (giri.size() > 1) {
        t += QStringLiteral("Giri: %1\n").arg(giri.size());
        for (const Fase& f : Fasi) {
            const auto r = Riassunto(giri, f);
            if (!r)
                continue;
            t += QStringLiteral("%1 ms: min %2, mediana %3, media %4, max %5, dev.std %6, p95 %7\n")
                     .arg(QLatin1String(f.nome), Numero(r->min), Numero(r->mediana),
                          Numero(r->media), Numero(r->max),
                          r->devStd ? Numero(r->devStd) : QStringLiteral("-"), Numero(r->p95));
        }
    }
    return t.toUtf8();
}

QByteArray Csv(const QList<Giro>& giri) {
    QByteArray b = "giro,connessione_ms,istruzione_ms,conteggio_ms,caricamento_ms,totale_ms,righe,"
                   "esito\n";
    for (qsizetype i = 0; i < giri.size(); ++i) {
        const Giro& g = giri[i];
        QStringList campi{QString::number(i + 1)};
        for (const Fase& f : Fasi)
            campi << Numero(f.valore(g));
        campi << (g.righe ? QString::number(*g.righe) : QString()) << NomeEsito(g.esito);
        b += campi.join(u',').toUtf8() + '\n';
    }
    return b;
}

QByteArray Json(const Opzioni& o, const QList<Giro>& giri) {
    QJsonObject j;
    const Giro& ultimo = giri.last();
    j[QStringLiteral("nome")] = o.nome;
    j[QStringLiteral("modo")] = o.richiesta.modo;
    j[QStringLiteral("sorgente")] = o.richiesta.modo == QStringLiteral("ODBC")
                                        ? o.richiesta.connessione.odbc
                                        : o.richiesta.connessione.sistema;
    j[QStringLiteral("connessione")] = ConnessioneVisibile(o.richiesta);
    j[QStringLiteral("esito")] = NomeEsito(ultimo.esito);
    j[QStringLiteral("errore")] = ultimo.errore.isEmpty() ? QJsonValue() : ultimo.errore;
    j[QStringLiteral("esecuzioni_per_giro")] = o.soloConteggio ? 1 : 2;
    QJsonArray lista;
    for (const Giro& g : giri) {
        QJsonObject e;
        for (const Fase& f : Fasi)
            e[QLatin1String(f.nome) + QStringLiteral("_ms")] = Json(f.valore(g));
        e[QStringLiteral("righe")] = g.righe ? QJsonValue(double(*g.righe)) : QJsonValue();
        lista.append(e);
    }
    j[QStringLiteral("giri")] = lista;
    QJsonObject stat;
    for (const Fase& f : Fasi) {
        const auto r = Riassunto(giri, f);
        if (!r)
            continue;
        stat[QLatin1String(f.nome) + QStringLiteral("_ms")] =
            QJsonObject{{QStringLiteral("min"), Arrotonda(r->min)},
                        {QStringLiteral("mediana"), Arrotonda(r->mediana)},
                        {QStringLiteral("media"), Arrotonda(r->media)},
                        {QStringLiteral("max"), Arrotonda(r->max)},
                        {QStringLiteral("dev_std"),
                         r->devStd ? QJsonValue(Arrotonda(*r->devStd)) : QJsonValue()},
                        {QStringLiteral("p95"), Arrotonda(r->p95)}};
    }
    j[QStringLiteral("statistiche")] = stat;
    return QJsonDocument(j).toJson(QJsonDocument::Compact) + '\n';
}

Uscita Controllo(const Opzioni& o, const Giro& g) {
    QList<soglie::Misura> misure;
    const auto secondi = [](std::optional<double> ms) {
        return ms ? std::optional<double>(*ms / 1000) : std::nullopt;
    };
    const auto misura = [&](const QString& nome, std::optional<double> v, const QString& unita) {
        misure << soglie::Misura{nome, v, unita, o.avvisi.value(nome), o.critici.value(nome)};
        if (!o.avvisi.contains(nome))
            misure.last().avviso.reset();
        if (!o.critici.contains(nome))
            misure.last().critico.reset();
    };
    for (const Fase& f : Fasi)
        misura(QLatin1String(f.nome), secondi(f.valore(g)), QStringLiteral("s"));
    misura(QStringLiteral("righe"),
           g.righe ? std::optional<double>(double(*g.righe)) : std::nullopt, QString());
    soglie::Esito esito;
    switch (g.esito) {
    case EsitoGiro::Completata:
        esito = soglie::Valuta(misure, QStringLiteral("%1: %2 righe in %3 s")
                                           .arg(o.nome, QString::number(g.righe.value_or(0)),
                                                soglie::Numero(g.totale / 1000)));
        break;
    case EsitoGiro::Scaduta:
        esito = soglie::Scadenza(o.statoTimeout, o.timeout.value_or(0), g.stato);
        break;
    case EsitoGiro::Interrotta:
        esito = {soglie::Stato::Unknown, QStringLiteral("elaborazione interrotta")};
        break;
    default:
        esito = soglie::Fallimento(g.errore);
    }
    return {
        soglie::RigaStato(esito, misure).toUtf8() + '\n', {}, soglie::CodiceUscita(esito.stato)};
}

// The run the thresholds judge: with repetitions that all completed, each
// phase's median over them (the rows of the last run); otherwise the last.
Giro Giudicato(const QList<Giro>& giri) {
    Giro g = giri.last();
    if (giri.size() < 2 || g.esito != EsitoGiro::Completata)
        return g;
    std::array<std::optional<double>, Fasi.size()> mediane;
    for (std::size_t i = 0; i < Fasi.size(); ++i)
        if (const auto r = Riassunto(giri, Fasi[i]))
            mediane[i] = r->mediana;
    g.connessione = mediane[0];
    g.istruzione = mediane[1];
    g.conteggio = mediane[2];
    g.caricamento = mediane[3];
    g.totale = mediane[4].value_or(g.totale);
    return g;
}

} // namespace

QString NomeEsito(EsitoGiro e) {
    switch (e) {
    case EsitoGiro::Completata:
        return QStringLiteral("completata");
    case EsitoGiro::Interrotta:
        return QStringLiteral("interrotta");
    case EsitoGiro::ConnessioneFallita:
        return QStringLiteral("connessione_fallita");
    case EsitoGiro::IstruzioneFallita:
        return QStringLiteral("istruzione_fallita");
    case EsitoGiro::Scaduta:
        return QStringLiteral("scaduta");
    }
    return {};
}

Uscita Risultati(const Opzioni& o, const QList<Giro>& giri, int interruzione) {
    if (o.controllo) {
        Uscita u = Controllo(o, Giudicato(giri));
        if (giri.last().esito == EsitoGiro::Interrotta)
            u.codice = interruzione;
        return u;
    }
    Uscita u;
    u.codice = Codice(giri.last().esito, interruzione);
    // Rows on stdout: the summary goes to stderr.
    QByteArray& principale = o.righe && o.fileRighe.isEmpty() ? u.err : u.out;
    switch (o.formato) {
    case FormatoUscita::Testo:
        principale = Testo(o, giri);
        break;
    case FormatoUscita::Csv:
        principale = Csv(giri);
        break;
    case FormatoUscita::Json:
        principale = Json(o, giri);
        break;
    }
    if (o.formato != FormatoUscita::Testo && !giri.last().errore.isEmpty())
        u.err += (QStringLiteral("Errore: ") + giri.last().errore + u'\n').toUtf8();
    return u;
}
