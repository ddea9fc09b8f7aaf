#include "window/fronte_finestra.h"

#include "odbc/memoria.h"
#include "run/testi.h"

#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <ctime>

namespace {

// A slice of per-field or per-row work lasts about this long before the
// window handles its events again.
constexpr qint64 FettaMs = 8;

// Milliseconds of the coarse monotonic clock: a few milliseconds of grain
// and a fraction of the precise clock's cost, which a slice pays per row.
qint64 MillisecondiGrossolani() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

} // namespace

void FronteFinestra::Inizio() {
    lstDATI_.Clear();
    lstCAMPI_.Clear();
    frmELABORAZIONE_.setVisible(true);
    txtSTATUS_.setToolTipText(QString());
}

void FronteFinestra::CampiElencati(int campi) {
    lblCAMPI_.setCaption(QStringLiteral("Campi (") + QString::number(campi) + QStringLiteral(")"));
}

void FronteFinestra::PreparaCaricamento(qint64 righe, int colonne) {
    sDATI_.Dimensiona(static_cast<qsizetype>(righe) + 1, colonne + 1);
}

void FronteFinestra::RigheLette(std::shared_ptr<const ado::Righe> righe, int colonne) {
    // sDATI takes the rows the recordset has just read, one by one as they
    // are loaded, without copying their text; they stay with it once the
    // recordset is released.
    sDATI_.Adotta(std::move(righe));
    // A row of lstDATI is its row of sDATI, each value followed by "|":
    // read from sDATI when shown, its text is kept once.
    const TabellaTesti& dati = sDATI_;
    lstDATI_.UsaFonte([&dati, colonne](qsizetype r) {
        QString riga;
        for (int i = 0; i < colonne; ++i) {
            testi::AccodaValore(riga, dati.Cella(r, i));
        }
        return riga;
    });
}

void FronteFinestra::Riga(qint64 riga, const ado::Recordset&) {
    sDATI_.AdottaRiga(static_cast<qsizetype>(riga));
    lstDATI_.AddItemDaFonte();
}

void FronteFinestra::Caricamento(qint64 righe) {
    lblDATI_.setCaption(QStringLiteral("Dati (") + QString::number(righe) +
                        QStringLiteral(" records)"));
}

void FronteFinestra::Tempi(const tempi::Misure& misure, tempi::Esito esito) {
    txtSTATUS_.setToolTipText(tempi::Testo(misure, esito));
}

void FronteFinestra::Errore(const QString& connessione, const QString& sql,
                            const QString& descrizione) {
    const QString aCapo = QStringLiteral("\r\n");
    MsgBox(QStringLiteral("Errori Durante Elaborazione") + aCapo + aCapo +
               QStringLiteral("Stringa di Connessione: ") + connessione + aCapo + aCapo +
               QStringLiteral("Stringa di Elaborazione: ") + sql + aCapo + aCapo +
               QStringLiteral("Errore: ") + descrizione,
           16, QStringLiteral("Attenzione"));
    frmELABORAZIONE_.setVisible(false);
}

EsecutoreFinestra::EsecutoreFinestra() {
    operaio_.setMaxThreadCount(1);
    operaio_.setExpiryTimeout(-1);
    seguito_.setSingleShot(true);
    seguito_.setInterval(0);
    // Each step is taken out before it runs: it may hand on the next one.
    connect(&seguito_, &QTimer::timeout, this, [this] { std::exchange(dopo_, nullptr)(); });
    connect(&attesa_, &QFutureWatcher<std::exception_ptr>::finished, this,
            [this] { std::exchange(poi_, nullptr)(attesa_.result()); });
}

EsecutoreFinestra::~EsecutoreFinestra() = default;

void EsecutoreFinestra::Fuori(std::function<void()> lavoro,
                              std::function<void(std::exception_ptr)> poi) {
    poi_ = std::move(poi);
    attesa_.setFuture(
        QtConcurrent::run(&operaio_, [lavoro = std::move(lavoro)]() -> std::exception_ptr {
            try {
                lavoro();
            } catch (...) {
                return std::current_exception();
            }
            return nullptr;
        }));
}

void EsecutoreFinestra::Dopo(std::function<void()> poi) {
    dopo_ = std::move(poi);
    seguito_.start();
}

void EsecutoreFinestra::InizioFetta() { fineFetta_ = MillisecondiGrossolani() + FettaMs; }

bool EsecutoreFinestra::FettaFinita() const { return MillisecondiGrossolani() >= fineFetta_; }

// On the run's worker, so that the window does not wait for it; a run
// started meanwhile queues behind it.
void EsecutoreFinestra::Riposo() { operaio_.start(memoria::Restituisci); }
