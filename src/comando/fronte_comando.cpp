#include "comando/fronte_comando.h"

#include "comando/sorveglianza.h"

#include <cstdio>

namespace {

constexpr qsizetype BufferRighe = 1 << 20;

std::optional<double> Ms(const std::optional<qint64>& ns) {
    if (!ns)
        return std::nullopt;
    return double(*ns) / 1e6;
}

} // namespace

void FronteComando::Inizio() {
    giro_ = {};
    orologio_.start();
    ultimoAvanzamento_ = 0;
}

void FronteComando::MostraStato() {
    if (sorveglianza::Attuale() != sorveglianza::Motivo::Nessuno)
        bSTOP_ = true;
    if (!avanzamento_)
        return;
    const qint64 ora = orologio_.elapsed();
    if (ora - ultimoAvanzamento_ < 100 && ultimoAvanzamento_ != 0)
        return;
    ultimoAvanzamento_ = ora;
    std::fprintf(stderr, "\r\033[K%s", giro_.stato.toLocal8Bit().constData());
    std::fflush(stderr);
}

void FronteComando::Connessa() { giro_.connessione = double(orologio_.nsecsElapsed()) / 1e6; }

void FronteComando::PreparaCaricamento(qint64, int colonne) {
    colonne_ = colonne;
    if (!file_)
        return;
    buffer_.clear();
    for (int c = 0; c < colonne; ++c)
        delimitato::AccodaCampo(buffer_, campi_.value(c), false, c == 0, formatoRighe_);
    delimitato::FineRiga(buffer_, formatoRighe_);
}

void FronteComando::Riga(qint64, const ado::Recordset& rs) {
    if (!file_)
        return;
    const ado::FieldList campi = rs.Fields();
    for (int c = 0; c < colonne_; ++c) {
        const ado::Valore v = campi.Item(c).Value();
        delimitato::AccodaCampo(buffer_, v.testo, v.nullo, c == 0, formatoRighe_);
    }
    delimitato::FineRiga(buffer_, formatoRighe_);
    if (buffer_.size() >= BufferRighe)
        svuota();
}

void FronteComando::svuota() {
    if (file_ && !buffer_.isEmpty() && file_->write(buffer_) != buffer_.size())
        erroreRighe_ = true;
    buffer_.clear();
}

Giro FronteComando::Parziale() const {
    Giro g = giro_;
    g.totale = double(orologio_.nsecsElapsed()) / 1e6;
    return g;
}

void FronteComando::Tempi(const tempi::Misure& misure, tempi::Esito esito) {
    using tempi::Fase;
    giro_.istruzione = Ms(misure.durate[std::size_t(Fase::Istruzione)]);
    giro_.conteggio = Ms(misure.durate[std::size_t(Fase::Conteggio)]);
    giro_.caricamento = Ms(misure.durate[std::size_t(Fase::Caricamento)]);
    giro_.righe = misure.righe;
    giro_.totale = double(orologio_.nsecsElapsed()) / 1e6;
    giro_.tempi = tempi::Testo(misure, esito);
    giro_.finito = true;
    if (esito == tempi::Esito::Interrotta)
        giro_.esito = EsitoGiro::Interrotta;
    else if (esito == tempi::Esito::NonRiuscita)
        giro_.esito =
            giro_.connessione ? EsitoGiro::IstruzioneFallita : EsitoGiro::ConnessioneFallita;
    // A run ended by the time-out or a signal says so, however it ended.
    const auto m = sorveglianza::Attuale();
    if (m == sorveglianza::Motivo::Scadenza)
        giro_.esito = EsitoGiro::Scaduta;
    else if (m != sorveglianza::Motivo::Nessuno)
        giro_.esito = EsitoGiro::Interrotta;
    if (avanzamento_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void FronteComando::Errore(const QString&, const QString&, const QString& descrizione) {
    // The connection string is printed by the output, with its password
    // masked.
    giro_.errore = descrizione;
}

void EsecutoreComando::Fuori(std::function<void()> lavoro,
                             std::function<void(std::exception_ptr)> poi) {
    primaDelBlocco_();
    std::exception_ptr errore;
    sorveglianza::Dentro();
    try {
        lavoro();
    } catch (...) {
        errore = std::current_exception();
    }
    sorveglianza::Fuori();
    dopoIlBlocco_();
    prossimo_ = [poi = std::move(poi), errore] { poi(errore); };
}

void EsecutoreComando::Gira() {
    while (prossimo_)
        std::exchange(prossimo_, nullptr)();
}
