// Results a person can take away: the lists' context menus (copy a line,
// every row with the field names, the field definitions; save as CSV) and
// the CSV save, which runs off the window's thread with a progress dialog
// of its own.
#include "window/guida.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QPromise>
#include <QTableView>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <climits>

namespace {

const QString TitoloSalva = QStringLiteral("Salva come CSV");

void Copia(const QString& testo) { QGuiApplication::clipboard()->setText(testo); }

int Avanzamento(qsizetype righe) { return static_cast<int>(std::min<qsizetype>(righe, INT_MAX)); }

// The CSV written on a pool thread: its progress is the rows written; once
// cancelled it writes nothing more and ends without a result.
QFuture<EsitoCsv> ScriviSulPool(const Risultato& r, const QString& file) {
    return QtConcurrent::run([r, file](QPromise<EsitoCsv>& promessa) {
        promessa.setProgressRange(0, Avanzamento(r.righe));
        const EsitoCsv esito = ScriviCsv(r, file, [&promessa](qsizetype righe) {
            promessa.setProgressValue(Avanzamento(righe));
            return !promessa.isCanceled();
        });
        if (!esito.annullato) {
            promessa.addResult(esito);
        }
    });
}

QString Causa(QFileDevice::FileError errore) {
    switch (errore) {
    case QFileDevice::ResourceError:
        return QStringLiteral("spazio esaurito sul disco");
    case QFileDevice::OpenError:
        return QStringLiteral("il file non può essere creato o sostituito in quella cartella "
                              "(cartella mancante, permessi, o disco di sola lettura)");
    default:
        return QStringLiteral("scrittura non riuscita");
    }
}

} // namespace

// The lists' menus, and the save's progress and end. Every entry waits for
// the run to end.
void Guida::preparaCopia() {
    const auto voci = [this](const ListBox& l) {
        return std::vector<MenuElenco::Voce>{
            {QStringLiteral("&Copia riga"),
             [this, &l] { return !InElaborazione() && l.vista()->currentIndex().isValid(); },
             [this, &l] { copiaRiga(l); }, QKeySequence::Copy},
            {QStringLiteral("Copia &tutte le righe con i nomi dei campi"),
             [this] { return !InElaborazione() && risultato_.conRighe && !InCopia(); },
             [this] { copiaRighe(); }},
            {QStringLiteral("Copia le &definizioni dei campi"),
             [this] { return !InElaborazione() && !risultato_.definizioni.isEmpty(); },
             [this] { copiaDefinizioni(); }},
            {QStringLiteral("&Salva come CSV…"),
             [this] { return !InElaborazione() && risultato_.conRighe && !InSalvataggio(); },
             [this] { salvaComeCsv(); }},
        };
    };
    menuCAMPI_.collega(lstCAMPI.vista(), QStringLiteral("Menu dei campi"), voci(lstCAMPI));
    menuDATI_.collega(lstDATI.vista(), QStringLiteral("Menu dei dati"), voci(lstDATI));
    connect(&salvataggio_, &QFutureWatcher<EsitoCsv>::progressValueChanged, this, [this](int n) {
        if (avanzamento_) {
            avanzamento_->setValue(n);
        }
    });
    connect(&salvataggio_, &QFutureWatcher<EsitoCsv>::finished, this,
            [this] { salvataggioFinito(); });
    connect(&copiaTutte_, &QFutureWatcher<QString>::finished, this,
            [this] { Copia(copiaTutte_.result()); });
}

// The run is over: what the window now holds. A failed run hides the
// results, and holds none; the rows are those the run loaded, the table
// having been emptied when it started.
void Guida::risultatoDellaCorsa() {
    risultato_ = {};
    if (!frmELABORAZIONE.Visible()) {
        return;
    }
    for (qsizetype i = 0; i < lstCAMPI.ListCount(); ++i) {
        risultato_.definizioni << lstCAMPI.List(i);
    }
    risultato_.conRighe = sDATI.Colonne() > 0 && nCAMPI > 0;
    if (risultato_.conRighe) {
        risultato_.nomi = sCAMPI.mid(0, nCAMPI);
        risultato_.dati = sDATI;
        risultato_.righe = sDATI.RigheAdottate();
    }
}

// As Ctrl+C: the line of the current row, as the list shows it.
void Guida::copiaRiga(const ListBox& l) {
    const QModelIndex corrente = l.vista()->currentIndex();
    if (corrente.isValid()) {
        Copia(l.List(corrente.row()));
    }
}

// Tab-separated, as spreadsheets paste it. A million rows are a couple of
// hundred megabytes of text: it is built on a pool thread, from the
// result's shared rows, and reaches the clipboard once whole.
void Guida::copiaRighe() {
    copiaTutte_.setFuture(QtConcurrent::run([r = risultato_] {
        using delimitato::Formato;
        QString testo;
        delimitato::AccodaIntestazione(testo, r, Formato::Tsv);
        for (qsizetype i = 0; i < r.righe; ++i) {
            delimitato::AccodaRiga(testo, r, i, Formato::Tsv);
        }
        return testo;
    }));
}

void Guida::copiaDefinizioni() { Copia(risultato_.definizioni.join(u'\n') + u'\n'); }

void Guida::salvaComeCsv() {
    QFileDialog dialogo(this, TitoloSalva, QString(),
                        QStringLiteral("File CSV (*.csv);;Tutti i file (*)"));
    dialogo.setObjectName(QStringLiteral("dialogoSalvaCsv"));
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setDefaultSuffix(QStringLiteral("csv"));
    if (dialogo.exec() == QDialog::Accepted && !dialogo.selectedFiles().isEmpty()) {
        SalvaCsv(dialogo.selectedFiles().constFirst());
    }
}

void Guida::SalvaCsv(const QString& file) {
    if (InElaborazione() || InSalvataggio() || !risultato_.conRighe) {
        return;
    }
    fileCsv_ = file;
    avanzamento_ = std::make_unique<QProgressDialog>(
        QStringLiteral("Salvataggio di %1 righe in %2").arg(risultato_.righe).arg(file),
        QStringLiteral("Annulla"), 0, 0, this);
    avanzamento_->setObjectName(QStringLiteral("avanzamentoCsv"));
    avanzamento_->setWindowTitle(TitoloSalva);
    // Not modal: a modal one would handle the window's events inside each
    // setValue. The window stays usable; its save entry waits for the end.
    avanzamento_->setWindowModality(Qt::NonModal);
    avanzamento_->setAutoReset(false);
    avanzamento_->setAutoClose(false);
    avanzamento_->setMinimumDuration(300);
    avanzamento_->setRange(0, Avanzamento(risultato_.righe));
    avanzamento_->setValue(0);
    connect(avanzamento_.get(), &QProgressDialog::canceled, &salvataggio_,
            &QFutureWatcher<EsitoCsv>::cancel);
    salvataggio_.setFuture(ScriviSulPool(risultato_, file));
}

void Guida::salvataggioFinito() {
    avanzamento_.reset();
    // A cancelled save ends without a result, having written nothing.
    if (salvataggio_.future().resultCount() == 0) {
        return;
    }
    const EsitoCsv esito = salvataggio_.result();
    if (esito.Salvato()) {
        return;
    }
    const QString aCapo = QStringLiteral("\r\n");
    MsgBox(QStringLiteral("Il file CSV non è stato salvato.") + aCapo + aCapo +
               QStringLiteral("File: ") + fileCsv_ + aCapo + aCapo + QStringLiteral("Errore: ") +
               Causa(esito.errore) + QStringLiteral(" (") + esito.descrizione +
               QStringLiteral(")") + aCapo + aCapo +
               QStringLiteral("Un file già presente con questo nome non è stato modificato."),
           16, TitoloSalva);
}
