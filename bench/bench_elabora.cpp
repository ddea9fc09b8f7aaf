// The whole run through the window, beside the least a run can cost and
// beside two other readers, on one generated table.
//
//   bench_elabora [righe] [--giri N] [--solo sqlite|postgres] [--senza-interne]
//                 [--senza-salvataggio | --solo-salvataggio] [--cartella DIR [--riusa]]
//
// prepares a table of `righe` rows (default 1,000,000) in a SQLite database
// and, when the ZEL_PG_* variables name a server (bench/esegui.sh starts
// one), in PostgreSQL; then, for each data source, runs every reader N times
// (default 5) in turn, each in its own process, and prints medians. Unless
// told otherwise it then measures inside the window: event-loop gaps per
// phase, status updates, "arresta" at several moments, and scrolling and
// selecting in a full list; and the whole result saved as CSV and copied.
// --cartella keeps the configuration and the
// SQLite database in DIR (the children can then be run by hand, with
// ODBCSYSINI=DIR); --riusa skips preparing data already there.
//
// The readers (child modes; the parent prepares their environment):
//   finestra <dsn> <utente> <password> <righe> <1|0>
//                                         the window, paging box as given
//   interne <dsn> <utente> <password> <righe>
//   arresto <dsn> <utente> <password> <fase> <riga o ms>
//   salva <dsn> <utente> <password> <righe> <file>
// and, as peers, the floor (bench/pavimento: plain ODBC, a program of its
// own), `isql -b` and a python3-pyodbc script.
#include "odbc/ado.h"
#include "odbc/memoria.h"
#include "startup/inizio.h"
#include "support/driver_odbc.h"
#include "tabella_prova.h"
#include "window/guida.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Orologio = std::chrono::steady_clock;

const QString Istruzione = QStringLiteral("SELECT * FROM t");

double Ms(Orologio::time_point da, Orologio::time_point a) {
    return std::chrono::duration<double, std::milli>(a - da).count();
}

// Child processes report one "key<TAB>value" per line.
void Riporta(const char* chiave, const QString& valore) {
    std::printf("%s\t%s\n", chiave, qPrintable(valore));
}
void Riporta(const char* chiave, double valore) {
    Riporta(chiave, QString::number(valore, 'f', 3));
}

// ---------------------------------------------------------------- data

// The table is made by a child process: what making it takes stays out of
// this process, whose memory every reader it starts inherits for a moment.
void Prepara(const QString& connessione, bool postgres, qint64 righe) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            auto c = std::make_shared<ado::Connection>();
            c->ConnectionString = connessione;
            c->CommandTimeout = 0;
            c->Open();
            PreparaTabella(c, postgres, righe);
        } catch (const ado::Errore& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.Description()));
            _exit(1);
        }
        std::fflush(nullptr);
        _exit(0);
    }
    int stato = 0;
    if (pid < 0 || waitpid(pid, &stato, 0) != pid || !WIFEXITED(stato) || WEXITSTATUS(stato) != 0) {
        std::fprintf(stderr, "tabella non preparata\n");
        std::exit(1);
    }
}

// ---------------------------------------------------------------- window

// A mouse click as the window system delivers it: queued, handled at the
// window's next pass through its events. Safe from any thread once `punto`
// and `globale` are known.
struct Click {
    QPointer<QWidget> w;
    QPointF punto;
    QPointF globale;

    explicit Click(QWidget* widget, QPoint p = QPoint(-1, -1))
        : w(widget), punto(p.x() < 0 ? widget->rect().center() : p),
          globale(widget->mapToGlobal(punto)) {}

    void Invia() const {
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, punto, punto,
                                                       globale, Qt::LeftButton, Qt::LeftButton,
                                                       Qt::NoModifier));
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, punto, punto,
                                                       globale, Qt::LeftButton, Qt::NoButton,
                                                       Qt::NoModifier));
    }
};

// Records when watched widgets paint, and what the status line shows then.
class Osservatore : public QObject {
  public:
    struct Pittura {
        Orologio::time_point quando;
        QString testo;
    };
    QLineEdit* stato = nullptr;
    std::vector<Pittura> pittureStato; // only those showing a new text
    std::map<const QObject*, Orologio::time_point> ultimaPittura;
    QObject* pulsanteElabora = nullptr;
    Orologio::time_point fineCorsa; // cmdAPRI enabled again: the run returned
    bool corsaFinita = false;

    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            const auto adesso = Orologio::now();
            ultimaPittura[o] = adesso;
            if (o == stato &&
                (pittureStato.empty() || pittureStato.back().testo != stato->text())) {
                pittureStato.push_back({adesso, stato->text()});
            }
        } else if (e->type() == QEvent::EnabledChange && o == pulsanteElabora &&
                   static_cast<QWidget*>(o)->isEnabled()) {
            fineCorsa = Orologio::now();
            corsaFinita = true;
        }
        return false;
    }
};

struct Finestra {
    QTemporaryDir cartella;
    std::unique_ptr<Guida> g;
    Osservatore osservatore;
    QTimer guardia;

    Finestra(const QString& dsn, const QString& utente, const QString& password, bool elenco) {
        Inizio::FileINI = cartella.filePath(QStringLiteral("zelbrontica.INI"));
        g = std::make_unique<Guida>();
        g->Show();
        g->activateWindow();
        g->cmbMODO.setText(QStringLiteral("ODBC"));
        g->txtODBC.setText(dsn);
        g->txtAS400UTENTE.setText(utente);
        g->txtAS400PASSWORD.setText(password);
        g->txtSQL.setText(Istruzione);
        g->chkLIST.setValue(elenco ? 1 : 0);
        osservatore.stato = qobject_cast<QLineEdit*>(g->txtSTATUS.widget());
        osservatore.pulsanteElabora = g->cmdAPRI.widget();
        for (QObject* o : {static_cast<QObject*>(g->txtSTATUS.widget()),
                           static_cast<QObject*>(g->cmdAPRI.widget()),
                           static_cast<QObject*>(g->lstDATI.vista()->viewport()),
                           static_cast<QObject*>(g->lstCAMPI.vista()->viewport())}) {
            o->installEventFilter(&osservatore);
        }
        // A message box means the run failed: say why and give up.
        QObject::connect(&guardia, &QTimer::timeout, [] {
            if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                std::fprintf(stderr, "%s\n", qPrintable(m->text()));
                std::fflush(nullptr);
                std::_Exit(4);
            }
        });
        guardia.start(100);
        // Ready once the window has been drawn.
        QWidget* pulsante = g->cmdAPRI.widget();
        Attendi([this, pulsante] { return osservatore.ultimaPittura.count(pulsante) > 0; }, 10000);
    }

    // Processes events until `fatto` holds or `ms` pass, sleeping between
    // them: what `fatto` waits for comes with an event. No timer of its own
    // but the deadline's, as the run happens inside this loop.
    static bool Attendi(const std::function<bool()>& fatto, int ms) {
        const auto limite = Orologio::now() + std::chrono::milliseconds(ms);
        QTimer sveglia;
        sveglia.setSingleShot(true);
        sveglia.start(ms);
        while (!fatto()) {
            if (Orologio::now() > limite) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    }

    // Clicks "elabora" and waits until the run has returned and the status
    // line shows its last text.
    Orologio::time_point Elabora() {
        const auto inizio = Orologio::now();
        Click(g->cmdAPRI.widget()).Invia();
        Attendi([this] { return osservatore.corsaFinita; }, 3600 * 1000);
        return inizio;
    }

    // Once the run has returned: ms until the status line painted the last
    // text written, or -1.
    double RitardoUltimoTesto() {
        const QString ultimo = g->txtSTATUS.Text();
        const auto& p = osservatore.pittureStato;
        Attendi([&] { return !p.empty() && p.back().testo == ultimo; }, 2000);
        if (p.empty() || p.back().testo != ultimo) {
            return -1;
        }
        return std::max(0.0, Ms(osservatore.fineCorsa, p.back().quando));
    }
};

void ApplicazioneOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

int CorsaFinestra(int argc, char** argv, const QStringList& a) {
    ApplicazioneOffscreen();
    QApplication app(argc, argv);
    Finestra f(a[1], a[2], a[3], a[5] == u"1");
    const auto inizio = f.Elabora();
    const double ultimo = f.RitardoUltimoTesto();
    Riporta("secondi_interni", Ms(inizio, Orologio::now()) / 1000.0);
    Riporta("stato", f.g->txtSTATUS.Text());
    Riporta("righe_contate", f.g->nRECORD);
    Riporta("righe_elenco", double(f.g->lstDATI.ListCount()));
    Riporta("ultimo_testo_ms", ultimo);
    const bool atteso = f.g->txtSTATUS.Text().startsWith(u"Elaborazione Completata") &&
                        (a[5] != u"1" || f.g->lstDATI.ListCount() == a[4].toLongLong());
    // The run is over once its last status line shows: what a user waits
    // for. Taking the window and its rows down is not part of it.
    std::fflush(stdout);
    std::_Exit(atteso ? 0 : 3);
}

// The phase of a run, from what the window shows and holds.
QString Fase(const Guida& g) {
    const QString s = g.txtSTATUS.Text();
    if (!g.InElaborazione()) {
        return s.startsWith(u"Elaborazione Completata") ? QStringLiteral("fine")
                                                        : QStringLiteral("prima");
    }
    if (s.startsWith(u"Apertura Connessione")) {
        return QStringLiteral("connessione");
    }
    if (s.startsWith(u"Apertura File")) {
        return QStringLiteral("esecuzione");
    }
    if (s.startsWith(u"Caricamento Definizione Campi")) {
        return QStringLiteral("campi");
    }
    if (s.startsWith(u"Conteggio Records")) {
        // The count is reset to 0 just before the second execution, whose
        // status still shows the last count.
        return g.nRECORD == 0 ? QStringLiteral("esecuzione2") : QStringLiteral("conteggio");
    }
    if (s.startsWith(u"Caricamento Record")) {
        return QStringLiteral("caricamento");
    }
    return QStringLiteral("altro");
}

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

int MisureInterne(int argc, char** argv, const QStringList& a) {
    ApplicazioneOffscreen();
    QApplication app(argc, argv);
    Finestra f(a[1], a[2], a[3], true);
    Guida& g = *f.g;

    // Every 10 ms, if the loop lets it: the gap since the last pass.
    struct Fascia {
        double inizioMs = -1;
        double fineMs = 0;
        double cpuMs = 0; // of the whole process, both threads
        double pausaMassima = 0;
        int passaggi = 0;
    };
    std::map<QString, Fascia> fasce;
    std::vector<QString> ordine;
    Orologio::time_point inizio{};
    Orologio::time_point ultimo{};
    QString faseUltima;
    double cpuUltima = 0;
    QTimer sonda;
    sonda.setTimerType(Qt::PreciseTimer);
    sonda.setInterval(10);
    QObject::connect(&sonda, &QTimer::timeout, [&] {
        const auto adesso = Orologio::now();
        const QString fase = Fase(g);
        if (!fasce.count(fase)) {
            ordine.push_back(fase);
        }
        Fascia& x = fasce[fase];
        if (x.inizioMs < 0) {
            x.inizioMs = Ms(inizio, adesso);
        }
        x.fineMs = Ms(inizio, adesso);
        const double cpu = CpuMs();
        ++x.passaggi;
        // A gap belongs to the phase that was running when it began.
        if (!faseUltima.isEmpty()) {
            Fascia& prima = fasce[faseUltima];
            prima.pausaMassima = std::max(prima.pausaMassima, Ms(ultimo, adesso));
            prima.cpuMs += cpu - cpuUltima;
        }
        cpuUltima = cpu;
        ultimo = adesso;
        faseUltima = fase;
    });
    inizio = Orologio::now();
    ultimo = inizio;
    sonda.start();
    f.Elabora();
    const double ultimoTesto = f.RitardoUltimoTesto();
    sonda.stop();
    const double totaleMs = Ms(inizio, f.osservatore.fineCorsa);

    for (const QString& fase : ordine) {
        const Fascia& x = fasce[fase];
        Riporta(qPrintable(QStringLiteral("fase_") + fase), QStringLiteral("%1 %2 %3 %4")
                                                                .arg(x.inizioMs, 0, 'f', 0)
                                                                .arg(x.fineMs, 0, 'f', 0)
                                                                .arg(x.cpuMs, 0, 'f', 0)
                                                                .arg(x.pausaMassima, 0, 'f', 1));
    }
    Riporta("totale_ms", totaleMs);
    Riporta("stato", g.txtSTATUS.Text());
    Riporta("ultimo_testo_ms", ultimoTesto);

    // Status updates shown while counting and while loading: how many per
    // second, and the longest wait between two.
    for (const char* fase : {"conteggio", "caricamento"}) {
        const QString prefisso = QString::fromLatin1(
            fase == std::string_view("conteggio") ? "Conteggio Records " : "Caricamento Record ");
        std::vector<Orologio::time_point> t;
        for (const auto& p : f.osservatore.pittureStato) {
            if (p.testo.startsWith(prefisso)) {
                t.push_back(p.quando);
            }
        }
        double attesa = 0;
        for (std::size_t i = 1; i < t.size(); ++i) {
            attesa = std::max(attesa, Ms(t[i - 1], t[i]));
        }
        const double durata = t.size() > 1 ? Ms(t.front(), t.back()) / 1000.0 : 0;
        Riporta(qPrintable(QStringLiteral("stato_") + QString::fromLatin1(fase)),
                QStringLiteral("%1 %2")
                    .arg(durata > 0 ? double(t.size() - 1) / durata : 0, 0, 'f', 1)
                    .arg(attesa, 0, 'f', 1));
    }

    // With every row loaded: to the end of the list, then row 900,000 (or
    // nine tenths of the rows) selected with the mouse.
    const qsizetype righe = g.lstDATI.ListCount();
    if (righe == a[4].toLongLong() && righe > 0) {
        QTableView* v = g.lstDATI.vista();
        auto& pitture = f.osservatore.ultimaPittura;
        const QObject* elenco = v->viewport();
        const QObject* campi = g.lstCAMPI.vista()->viewport();

        // Each time runs until the event pass that painted has returned.
        auto t0 = Orologio::now();
        v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum());
        f.Attendi([&] { return pitture[elenco] > t0; }, 10000);
        Riporta("fondo_ms", Ms(t0, Orologio::now()));

        const qsizetype bersaglio = std::min<qsizetype>(900000, righe * 9 / 10) - 1;
        const QModelIndex indice = g.lstDATI.modello().index(int(bersaglio));
        t0 = Orologio::now();
        v->scrollTo(indice, QAbstractItemView::PositionAtCenter);
        f.Attendi([&] { return pitture[elenco] > t0; }, 10000);
        Riporta("alla_riga_ms", Ms(t0, Orologio::now()));

        const QString attesa =
            g.sCAMPI.value(0) + QStringLiteral(" = ") + g.sDATI.Cella(bersaglio, 0).toString();
        t0 = Orologio::now();
        Click(v->viewport(), v->visualRect(indice).center()).Invia();
        const bool visto = f.Attendi(
            [&] {
                return g.lstCAMPI.ListCount() == g.nCAMPI && g.lstCAMPI.List(0) == attesa &&
                       pitture[campi] > t0;
            },
            10000);
        Riporta("selezione_ms", visto ? Ms(t0, Orologio::now()) : -1.0);
        Riporta("riga_selezionata", double(g.lstDATI.ListIndex() + 1));
    }
    return 0;
}

// Calls a function with every event of the objects it watches.
class Spia : public QObject {
  public:
    explicit Spia(std::function<void(QEvent*)> f) : f_(std::move(f)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        f_(e);
        return false;
    }

  private:
    std::function<void(QEvent*)> f_;
};

// "arresta" clicked once the run reaches a point: in a phase of rows, at
// row `dove`; in an execution, `dove` ms into it. The click comes from
// another thread a few milliseconds later, as a user's click would: not in
// step with the window's passes through its events.
int Arresto(int argc, char** argv, const QStringList& a) {
    ApplicazioneOffscreen();
    QApplication app(argc, argv);
    Finestra f(a[1], a[2], a[3], true);
    Guida& g = *f.g;
    const QString bersaglio = a[4];
    const double dove = a[5].toDouble();
    const Click arresta(g.cmdSTOP.widget());

    std::atomic<bool> pronto{false};
    std::atomic<Orologio::time_point::rep> cliccato{0};
    std::atomic<bool> fine{false};
    std::thread utente([&] {
        while (!pronto && !fine) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (fine) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::rand() % 10000));
        cliccato = Orologio::now().time_since_epoch().count();
        arresta.Invia();
    });
    // Where the run was when the window handled the click.
    QString faseClick;
    double rigaClick = 0;
    Spia spia([&](QEvent* e) {
        if (e->type() == QEvent::MouseButtonRelease) {
            faseClick = Fase(g);
            rigaClick = g.nRECORD;
        }
    });
    g.cmdSTOP.widget()->installEventFilter(&spia);
    Orologio::time_point inizioFase{};
    QString fasePrima;
    QTimer sonda;
    sonda.setTimerType(Qt::PreciseTimer);
    sonda.setInterval(2);
    QObject::connect(&sonda, &QTimer::timeout, [&] {
        const QString fase = Fase(g);
        if (fase != fasePrima) {
            inizioFase = Orologio::now();
            fasePrima = fase;
        }
        if (pronto || fase != bersaglio) {
            return;
        }
        const bool righe = fase == u"conteggio" || fase == u"caricamento";
        const double arrivo = righe ? g.nRECORD : Ms(inizioFase, Orologio::now());
        if (arrivo >= dove) {
            pronto = true;
        }
    });
    sonda.start();
    const auto inizio = f.Elabora();
    sonda.stop();
    const double ultimoTesto = f.RitardoUltimoTesto();
    fine = true;
    utente.join();
    if (!pronto) {
        Riporta("stato", g.txtSTATUS.Text());
        return 0;
    }
    const Orologio::time_point click{Orologio::duration(cliccato.load())};
    Riporta("fase", faseClick);
    Riporta("riga", rigaClick);
    Riporta("click_ms", Ms(inizio, click));
    Riporta("ritardo_ms", Ms(click, f.osservatore.fineCorsa));
    Riporta("ultimo_testo_ms", ultimoTesto);
    Riporta("stato", g.txtSTATUS.Text());
    return 0;
}

// The peak resident size of this process so far.
double PiccoMB() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return double(uso.ru_maxrss) / 1024.0;
}

// A window run with the rows list, then its whole result saved as CSV (as
// "Salva come CSV…" does once its dialog has given the file) and copied
// through the rows list's menu: the time of each, the longest gap between
// two passes of the window's event loop while saving, and the peak resident
// size after each step.
int Salvataggio(int argc, char** argv, const QStringList& a) {
    ApplicazioneOffscreen();
    QApplication app(argc, argv);
    Finestra f(a[1], a[2], a[3], true);
    Guida& g = *f.g;
    f.Elabora();
    if (g.lstDATI.ListCount() != a[4].toLongLong()) {
        return 3;
    }
    Riporta("picco_corsa_mb", PiccoMB());

    double pausa = 0;
    auto ultimo = Orologio::now();
    QTimer sonda;
    sonda.setTimerType(Qt::PreciseTimer);
    sonda.setInterval(10);
    QObject::connect(&sonda, &QTimer::timeout, [&] {
        const auto adesso = Orologio::now();
        pausa = std::max(pausa, Ms(ultimo, adesso));
        ultimo = adesso;
    });
    const auto inizio = Orologio::now();
    ultimo = inizio;
    sonda.start();
    g.SalvaCsv(a[5]);
    f.Attendi([&g] { return !g.InSalvataggio(); }, 3600 * 1000);
    sonda.stop();
    Riporta("salva_ms", Ms(inizio, Orologio::now()));
    Riporta("pausa_massima_ms", pausa);
    Riporta("byte", double(QFileInfo(a[5]).size()));
    Riporta("picco_salva_mb", PiccoMB());

    QKeyEvent tasto(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QCoreApplication::sendEvent(g.lstDATI.vista(), &tasto);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || menu->actions().size() < 2) {
        return 3;
    }
    QGuiApplication::clipboard()->clear();
    pausa = 0;
    const auto copia = Orologio::now();
    ultimo = copia;
    sonda.start();
    menu->actions()[1]->trigger();
    f.Attendi([&g] { return !g.InCopia(); }, 3600 * 1000);
    sonda.stop();
    Riporta("copia_ms", Ms(copia, Orologio::now()));
    Riporta("pausa_copia_ms", pausa);
    Riporta("caratteri", double(QGuiApplication::clipboard()->text().size()));
    Riporta("picco_copia_mb", PiccoMB());
    std::fflush(stdout);
    std::_Exit(0);
}

// ---------------------------------------------------------------- parent

struct Esito {
    double secondi = 0;
    double cpu = 0; // user + system
    double piccoMB = 0;
    int codice = -1;
    std::map<QString, QString> valori;
};

// Runs a program with the given stdin and stdout files; wall time and peak
// resident memory of the child.
Esito Lancia(const QStringList& argomenti, const QString& ingresso, const QString& uscita) {
    // Through bench/lancia, which stays small: a reader started from this
    // process would inherit its resident size as the floor of its own peak.
    const QString misure = uscita + QStringLiteral(".misure");
    std::vector<QByteArray> testi = {
        QByteArray(ZEL_LANCIA), QFile::encodeName(misure),
        QFile::encodeName(ingresso.isEmpty() ? QStringLiteral("/dev/null") : ingresso),
        QFile::encodeName(uscita)};
    for (const QString& s : argomenti) {
        testi.push_back(s.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& t : testi) {
        argv.push_back(t.data());
    }
    argv.push_back(nullptr);
    Esito e;
    QFile::remove(misure);
    const pid_t pid = fork();
    if (pid < 0) {
        return e;
    }
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int stato = 0;
    waitpid(pid, &stato, 0);
    QFile m(misure);
    if (!m.open(QIODevice::ReadOnly) || !WIFEXITED(stato) || WEXITSTATUS(stato) != 0) {
        return e;
    }
    const QList<QByteArray> campi = m.readAll().simplified().split(' ');
    if (campi.size() != 4) {
        return e;
    }
    e.secondi = campi[0].toDouble();
    e.cpu = campi[1].toDouble();
    e.piccoMB = campi[2].toDouble() / 1024.0;
    e.codice = campi[3].toInt();
    QFile f(uscita);
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& riga : f.readAll().split('\n')) {
            const qsizetype tab = riga.indexOf('\t');
            if (tab > 0) {
                e.valori[QString::fromUtf8(riga.left(tab))] = QString::fromUtf8(riga.mid(tab + 1));
            }
        }
    }
    return e;
}

double Mediana(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

struct Sorgente {
    QString nome;   // as the table shows it
    QString dsn;    // in the private odbc.ini
    QString utente; // what the window's fields get
    QString password;
    bool postgres = false;

    QString Odbc() const {
        return QStringLiteral("DSN=%1;UID=%2;PWD=%3").arg(dsn, utente, password);
    }
};

struct Lettore {
    QString nome;
    QStringList comando;
    QString ingresso;
    // Launches a round, for readers too short to time once: their round's
    // figures are the medians of these.
    int volte = 1;
    std::vector<double> secondi;
    std::vector<double> picchi;
    std::vector<double> cpu;
    std::vector<double> esecuzioni; // counted by the preloaded library
    std::vector<double> scansioni;  // of t, counted by PostgreSQL
    double Secondi() const { return Mediana(secondi); }
    double Cpu() const { return Mediana(cpu); }
    double Picco() const { return Mediana(picchi); }
};

void Scrivi(const QString& percorso, const QString& testo) {
    QFile f(percorso);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qFatal("impossibile scrivere %s", qPrintable(percorso));
    }
    f.write(testo.toUtf8());
}

QString Macchina() {
    QString cpu;
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& riga : f.readAll().split('\n')) {
            if (riga.startsWith("model name")) {
                cpu = QString::fromUtf8(riga.mid(riga.indexOf(':') + 1)).trimmed();
                break;
            }
        }
    }
    double carico = 0;
    getloadavg(&carico, 1);
    return QStringLiteral("%1 CPU (%2), carico medio all'avvio %3")
        .arg(std::thread::hardware_concurrency())
        .arg(cpu)
        .arg(carico, 0, 'f', 1);
}

struct Parametri {
    qint64 righe = 1000000;
    int giri = 5;
    QString solo;
    QString cartella; // kept, with its database, instead of a temporary one
    bool riusa = false;
    bool interne = true;
    bool salvataggio = true;
    bool soloSalvataggio = false;
};

// The one statistic of every ratio the benchmark prints: the median of each
// round's own ratio. The runs of a round share that minute's load, which on
// a shared machine moves every figure by a third, so this is steadier than
// the ratio of the medians.
double PerGiro(const Lettore& a, const Lettore& b, std::vector<double> Lettore::*misura) {
    std::vector<double> r;
    for (std::size_t i = 0; i < (a.*misura).size() && i < (b.*misura).size(); ++i) {
        r.push_back((a.*misura)[i] / (b.*misura)[i]);
    }
    return Mediana(r);
}

// Counts as "2", or "1-2" when the rounds disagree.
QString Conteggi(const std::vector<double>& v) {
    if (v.empty()) {
        return QStringLiteral("-");
    }
    const auto [min, max] = std::minmax_element(v.begin(), v.end());
    return *min == *max ? QString::number(*min) : QStringLiteral("%1-%2").arg(*min).arg(*max);
}

// Sequential scans of t, as PostgreSQL counts them: one per execution of
// the statement. A session reports its counts when it ends, so this waits
// until every other session of the database has ended.
class ScansioniServer {
  public:
    explicit ScansioniServer(const QString& connessione) : c_(std::make_shared<ado::Connection>()) {
        c_->ConnectionString = connessione;
        c_->Open();
    }

    double Leggi() {
        const auto limite = Orologio::now() + std::chrono::seconds(10);
        while (Valore(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = "
                                     "current_database() AND pid <> pg_backend_pid() AND "
                                     "backend_type = 'client backend'")) > 0 &&
               Orologio::now() < limite) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return Valore(
            QStringLiteral("SELECT seq_scan FROM pg_stat_user_tables WHERE relname = 't'"));
    }

  private:
    double Valore(const QString& sql) {
        ado::Recordset rs;
        rs.ActiveConnection = c_;
        rs.Source = sql;
        rs.Open();
        return rs.Eof() ? -1 : rs.Fields().Item(0).Value().ToString().toDouble();
    }

    std::shared_ptr<ado::Connection> c_;
};

void StampaTabella(const Sorgente& s, qint64 righe, const std::vector<Lettore>& lettori) {
    const Lettore& pav2 = lettori[0];
    const Lettore& pav1 = lettori[2];
    const Lettore& py = lettori[4];
    std::printf("\n| %s, %lld righe | secondi | righe/s | CPU s | picco RSS MB | esecuzioni%s | "
                "/pavimento | CPU/pavimento | RSS/pavimento | /pyodbc |\n"
                "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n",
                qPrintable(s.nome), righe, s.postgres ? " (nel server)" : "");
    for (std::size_t i = 0; i < lettori.size(); ++i) {
        const Lettore& l = lettori[i];
        // The window and the command against their floors, the command's
        // connect + SELECT 1 against isql's.
        const Lettore* pav = i == 1 || i == 7    ? &pav2
                             : i == 3 || i == 8  ? &pav1
                             : i == 9 || i == 11 ? &lettori[10]
                                                 : nullptr;
        const auto rapporto = [&l, pav](std::vector<double> Lettore::*misura) {
            return pav ? QString::number(PerGiro(l, *pav, misura), 'f', 2) : QString();
        };
        QString esecuzioni = Conteggi(l.esecuzioni);
        if (s.postgres) {
            esecuzioni += QStringLiteral(" (%1)").arg(Conteggi(l.scansioni));
        }
        std::printf("| %s | %.2f | %.0f | %.2f | %.0f | %s | %s | %s | %s | %.2f |\n",
                    qPrintable(l.nome), l.Secondi(), double(righe) / l.Secondi(), l.Cpu(),
                    l.Picco(), qPrintable(esecuzioni), qPrintable(rapporto(&Lettore::secondi)),
                    qPrintable(rapporto(&Lettore::cpu)), qPrintable(rapporto(&Lettore::picchi)),
                    PerGiro(l, py, &Lettore::secondi));
    }
    std::printf("Ogni rapporto è la mediana dei rapporti dei singoli giri. La finestra con "
                "paginazione si confronta con il pavimento a 2 esecuzioni, senza con quello a 1; "
                "rispetto al pavimento con un thread la finestra con paginazione vale %.2f.\n",
                PerGiro(lettori[1], lettori[5], &Lettore::secondi));
    std::printf("Esecuzioni: chiamate che eseguono un'istruzione (SQLExecDirect[W], SQLExecute) "
                "contate da una libreria precaricata in ogni lettore%s.\n",
                s.postgres ? "; fra parentesi le scansioni di t contate da PostgreSQL" : "");
    if (s.postgres) {
        std::printf("psqlODBC tiene in memoria l'intero risultato dentro SQLExecDirect "
                    "(UseDeclareFetch=0, il predefinito), come il driver SQLite3.\n");
    } else {
        std::printf("Il driver SQLite3 tiene in memoria l'intero risultato dentro "
                    "SQLExecDirect.\n");
    }

    // The goals, each with the same statistic as the table.
    const auto esito = [](bool ok) { return ok ? "raggiunto" : "**mancato**"; };
    const double pag = PerGiro(lettori[1], pav2, &Lettore::secondi);
    const double cont = PerGiro(lettori[3], pav1, &Lettore::secondi);
    const double rssPag = PerGiro(lettori[1], pav2, &Lettore::picchi);
    const double rssCont = PerGiro(lettori[3], pav1, &Lettore::picchi);
    const double suPy = PerGiro(lettori[1], py, &Lettore::secondi);
    const double ePag = Mediana(lettori[1].esecuzioni);
    const double eCont = Mediana(lettori[3].esecuzioni);
    std::printf("\n| %s, %lld righe: obiettivo | misurato | |\n|---|---:|---|\n",
                qPrintable(s.nome), righe);
    std::printf("| finestra, paginazione <= 1.15 x pavimento a 2 esecuzioni | %.2f | %s |\n", pag,
                esito(pag <= 1.15));
    std::printf("| finestra, solo conteggio <= 1.15 x pavimento a 1 esecuzione | %.2f | %s |\n",
                cont, esito(cont <= 1.15));
    std::printf("| picco RSS <= 1.3 x pavimento: paginazione, solo conteggio | %.2f, %.2f | %s |\n",
                rssPag, rssCont, esito(rssPag <= 1.3 && rssCont <= 1.3));
    std::printf("| finestra, paginazione (2 esecuzioni) più veloce di pyodbc (1) | %.2f | %s |\n",
                suPy, esito(suPy < 1));
    std::printf("| esecuzioni per corsa: paginazione 2, solo conteggio 1 | %s, %s | %s |\n",
                qPrintable(Conteggi(lettori[1].esecuzioni)),
                qPrintable(Conteggi(lettori[3].esecuzioni)), esito(ePag == 2 && eCont == 1));
    const double cli = PerGiro(lettori[7], pav2, &Lettore::secondi);
    const double cliCont = PerGiro(lettori[8], pav1, &Lettore::secondi);
    const double cliRss = PerGiro(lettori[7], pav2, &Lettore::picchi);
    const double cliRssCont = PerGiro(lettori[8], pav1, &Lettore::picchi);
    const double cliUno = PerGiro(lettori[9], lettori[10], &Lettore::secondi);
    std::printf("| zelbrontica-cli, righe lette <= 1.05 x pavimento a 2 esecuzioni | %.2f | %s |\n",
                cli, esito(cli <= 1.05));
    std::printf(
        "| zelbrontica-cli, solo conteggio <= 1.05 x pavimento a 1 esecuzione | %.2f | %s |\n",
        cliCont, esito(cliCont <= 1.05));
    std::printf(
        "| zelbrontica-cli, picco RSS <= 1.05 x pavimento: righe, conteggio | %.2f, %.2f | %s |\n",
        cliRss, cliRssCont, esito(cliRss <= 1.05 && cliRssCont <= 1.05));
    std::printf("| zelbrontica-cli, esecuzioni per giro: righe 2, conteggio 1 | %s, %s | %s |\n",
                qPrintable(Conteggi(lettori[7].esecuzioni)),
                qPrintable(Conteggi(lettori[8].esecuzioni)),
                esito(Mediana(lettori[7].esecuzioni) == 2 && Mediana(lettori[8].esecuzioni) == 1));
    std::printf("| zelbrontica-cli, connessione + SELECT 1 <= 1.2 x isql | %.2f | %s |\n", cliUno,
                esito(cliUno <= 1.2));
    std::printf("Di cui l'avvio (zelbrontica-cli --version: QtCore e le sue librerie caricate, "
                "nessun driver): %.2f x isql con la sua connessione e il suo SELECT 1.\n",
                PerGiro(lettori[11], lettori[10], &Lettore::secondi));
}

void MisureInterneDi(const Sorgente& s, const QString& sé, const QString& cartella, qint64 righe) {
    const QString uscita = cartella + QStringLiteral("/interne.txt");
    const QStringList base = {sé, QString(), s.dsn, s.utente, s.password};
    QStringList comando = base;
    comando[1] = QStringLiteral("interne");
    comando << QString::number(righe);
    const Esito e = Lancia(comando, {}, uscita);
    std::printf(
        "\nDentro la finestra (%s, paginazione attiva, %lld righe; %.1f s, picco %.0f MB)\n",
        qPrintable(s.nome), righe, e.secondi, e.piccoMB);
    std::printf(
        "  fase             inizio ms    fine ms     CPU ms   pausa massima del ciclo ms\n");
    std::map<QString, std::pair<double, double>> fasi; // start, end
    for (const auto& [chiave, valore] : e.valori) {
        if (chiave.startsWith(u"fase_")) {
            const QStringList x = valore.split(u' ');
            fasi[chiave.mid(5)] = {x.value(0).toDouble(), x.value(1).toDouble()};
        }
    }
    std::vector<std::pair<double, QString>> perInizio;
    for (const auto& [fase, tempi] : fasi) {
        perInizio.emplace_back(tempi.first, fase);
    }
    std::sort(perInizio.begin(), perInizio.end());
    for (const auto& [inizio, fase] : perInizio) {
        const QStringList x = e.valori.at(QStringLiteral("fase_") + fase).split(u' ');
        std::printf("  %-13s %12s %10s %10s %12s\n", qPrintable(fase), qPrintable(x.value(0)),
                    qPrintable(x.value(1)), qPrintable(x.value(2)), qPrintable(x.value(3)));
    }
    const auto valore = [&e](const char* k) {
        const auto i = e.valori.find(QString::fromLatin1(k));
        return i == e.valori.end() ? QStringLiteral("-") : i->second;
    };
    for (const char* fase : {"conteggio", "caricamento"}) {
        const QStringList x =
            valore(qPrintable(QStringLiteral("stato_") + QString::fromLatin1(fase))).split(u' ');
        std::printf("  riga di stato, %-11s: %s aggiornamenti/s, attesa massima fra due %s ms\n",
                    fase, qPrintable(x.value(0)), qPrintable(x.value(1)));
    }
    std::printf("  testo finale mostrato %s ms dopo la fine: \"%s\"\n",
                qPrintable(valore("ultimo_testo_ms")), qPrintable(valore("stato")));
    std::printf("  elenco in fondo %s ms; alla riga %s ms; clic sulla riga %s: campi mostrati in "
                "%s ms\n",
                qPrintable(valore("fondo_ms")), qPrintable(valore("alla_riga_ms")),
                qPrintable(valore("riga_selezionata")), qPrintable(valore("selezione_ms")));

    // "arresta" at several rows of counting and loading, and halfway
    // through each execution (seen at the first row after it).
    const double n = double(righe);
    std::vector<std::pair<QString, double>> momenti = {
        {QStringLiteral("conteggio"), 1},       {QStringLiteral("conteggio"), n / 2},
        {QStringLiteral("conteggio"), n * 0.8}, {QStringLiteral("caricamento"), 1},
        {QStringLiteral("caricamento"), n / 2}, {QStringLiteral("caricamento"), n * 0.95}};
    for (const char* fase : {"esecuzione", "esecuzione2"}) {
        const auto i = fasi.find(QString::fromLatin1(fase));
        if (i != fasi.end()) {
            momenti.emplace_back(QString::fromLatin1(fase),
                                 (i->second.second - i->second.first) / 2);
        }
    }
    std::printf("  \"arresta\" (fase e riga quando la finestra riceve il clic, fine della corsa "
                "ms dopo il clic, testo finale mostrato ms dopo la fine):\n");
    for (const auto& [fase, dove] : momenti) {
        comando = base;
        comando[1] = QStringLiteral("arresto");
        comando << fase << QString::number(qint64(dove));
        const Esito a = Lancia(comando, {}, uscita);
        const auto v = [&a](const char* k) {
            const auto i = a.valori.find(QString::fromLatin1(k));
            return i == a.valori.end() ? QStringLiteral("-") : i->second;
        };
        if (!a.valori.count(QStringLiteral("fase"))) {
            std::printf("    %-12s finita prima della riga %lld: nessun clic\n", qPrintable(fase),
                        qint64(dove));
            continue;
        }
        std::printf("    %-12s riga %9s  fine dopo %8s ms  testo dopo %7s ms  \"%s\"\n",
                    qPrintable(v("fase")), qPrintable(v("riga").section(u'.', 0, 0)),
                    qPrintable(v("ritardo_ms")), qPrintable(v("ultimo_testo_ms")),
                    qPrintable(v("stato")));
        std::fflush(stdout);
    }
}

void MisureSalvataggioDi(const Sorgente& s, const QString& sé, const QString& cartella,
                         qint64 righe) {
    const QString csv = cartella + QStringLiteral("/risultato.csv");
    const Esito e = Lancia(
        {sé, QStringLiteral("salva"), s.dsn, s.utente, s.password, QString::number(righe), csv}, {},
        cartella + QStringLiteral("/salva.txt"));
    QFile::remove(csv);
    if (e.codice != 0) {
        std::fprintf(stderr, "salva: uscita %d\n", e.codice);
        return;
    }
    const auto v = [&e](const char* k) {
        const auto i = e.valori.find(QString::fromLatin1(k));
        return i == e.valori.end() ? -1.0 : i->second.toDouble();
    };
    std::printf("\nSalva come CSV (%s, %lld righe, paginazione attiva): %.1f MB scritti in %.2f s "
                "(%.0f righe/s), pausa massima del ciclo %.1f ms; copia di tutte le righe (TSV) "
                "in %.2f s, %.0f caratteri, pausa massima del ciclo %.1f ms\n  picco RSS: dopo la "
                "corsa %.0f MB, dopo il "
                "salvataggio %.0f MB, dopo la copia %.0f MB\n",
                qPrintable(s.nome), righe, v("byte") / 1e6, v("salva_ms") / 1000.0,
                double(righe) / (v("salva_ms") / 1000.0), v("pausa_massima_ms"),
                v("copia_ms") / 1000.0, v("caratteri"), v("pausa_copia_ms"), v("picco_corsa_mb"),
                v("picco_salva_mb"), v("picco_copia_mb"));
    std::fflush(stdout);
}

int Orchestra(const Parametri& p, const QString& sé) {
    QTemporaryDir temporanea;
    const QString dir = p.cartella.isEmpty() ? temporanea.path() : p.cartella;
    if (dir.isEmpty() || !QDir().mkpath(dir)) {
        return 1;
    }
    const bool pg = !qEnvironmentVariableIsEmpty("ZEL_PG_HOST") && p.solo != u"sqlite";
    QString dsn =
        QStringLiteral("[ZELBENCH_SQLITE]\nDriver=SQLite3\nDatabase=%1/bench.db\n\n").arg(dir);
    if (pg) {
        dsn += QStringLiteral("[ZELBENCH_PG]\nDriver=PostgreSQL Unicode\nServername=%1\n"
                              "Port=%2\nDatabase=%3\nUsername=%4\nSSLMode=disable\n")
                   .arg(qEnvironmentVariable("ZEL_PG_HOST"), qEnvironmentVariable("ZEL_PG_PORT"),
                        qEnvironmentVariable("ZEL_PG_DB"), qEnvironmentVariable("ZEL_PG_USER"));
    }
    Scrivi(dir + QStringLiteral("/odbcinst.ini"),
           QStringLiteral("[SQLite3]\nDriver=%1\n\n[PostgreSQL Unicode]\nDriver=%2\n")
               .arg(zeltest::DriverOdbc(QStringLiteral("libsqlite3odbc.so")),
                    zeltest::DriverOdbc(QStringLiteral("psqlodbcw.so"))));
    Scrivi(dir + QStringLiteral("/odbc.ini"), dsn);
    Scrivi(dir + QStringLiteral("/utente.ini"), QString());
    Scrivi(dir + QStringLiteral("/istruzione.sql"), Istruzione + u'\n');
    Scrivi(dir + QStringLiteral("/select1.sql"), QStringLiteral("SELECT 1\n"));
    Scrivi(dir + QStringLiteral("/pyodbc_tutte.py"),
           QStringLiteral("# Fetches every row once and turns every value into text.\n"
                          "import sys, pyodbc\n"
                          "cn = pyodbc.connect(sys.argv[1], autocommit=True)\n"
                          "cur = cn.cursor()\n"
                          "cur.execute(sys.argv[2])\n"
                          "righe = caratteri = 0\n"
                          "for riga in cur.fetchall():\n"
                          "    for v in riga:\n"
                          "        caratteri += len('' if v is None else str(v))\n"
                          "    righe += 1\n"
                          "print('righe\\t%d\\ncaratteri\\t%d' % (righe, caratteri))\n"));
    qputenv("ODBCSYSINI", QFile::encodeName(dir));
    qputenv("ODBCINI", QFile::encodeName(dir + QStringLiteral("/utente.ini")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir)); // private, as Qt wants it
    // Every reader from now on counts its executions into one file.
    const QString contatore =
        QCoreApplication::applicationDirPath() + QStringLiteral("/libconta_esecuzioni.so");
    if (QFile::exists(contatore)) {
        qputenv("LD_PRELOAD", QFile::encodeName(contatore));
        qputenv("ZEL_CONTA_ESECUZIONI", QFile::encodeName(dir + QStringLiteral("/esecuzioni.txt")));
    } else {
        std::fprintf(stderr, "manca %s: esecuzioni non contate\n", qPrintable(contatore));
    }
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    std::vector<Sorgente> sorgenti;
    if (p.solo != u"postgres") {
        sorgenti.push_back({QStringLiteral("SQLite3"), QStringLiteral("ZELBENCH_SQLITE"),
                            QStringLiteral("ZEL"), QStringLiteral("ZEL"), false});
    }
    if (pg) {
        sorgenti.push_back({QStringLiteral("psqlODBC"), QStringLiteral("ZELBENCH_PG"),
                            qEnvironmentVariable("ZEL_PG_USER"),
                            qEnvironmentVariable("ZEL_PG_PASSWORD"), true});
    }
    if (sorgenti.empty()) {
        std::fprintf(stderr, "nessuna sorgente: per PostgreSQL usare bench/esegui.sh\n");
        return 2;
    }

    std::printf("Macchina: %s\n", qPrintable(Macchina()));
    std::printf("Istruzione: %s; %d giri alternati, mediane; secondi e CPU del processo "
                "intero\n",
                qPrintable(Istruzione), p.giri);
    double ultimoRapporto = -1;
    for (const Sorgente& s : sorgenti) {
        const auto t = Orologio::now();
        if (!(p.riusa && (s.postgres || QFile::exists(dir + QStringLiteral("/bench.db"))))) {
            Prepara(s.Odbc(), s.postgres, p.righe);
            std::printf("\n%s: %lld righe preparate in %.1f s\n", qPrintable(s.nome), p.righe,
                        Ms(t, Orologio::now()) / 1000.0);
        }
        std::fflush(stdout);
        if (p.soloSalvataggio) {
            MisureSalvataggioDi(s, sé, dir, p.righe);
            continue;
        }
        const QString righe = QString::number(p.righe);
        std::vector<Lettore> lettori;
        const auto lettore = [&lettori](const char* nome, const QStringList& comando,
                                        const QString& ingresso = {}, int volte = 1) {
            Lettore l;
            l.nome = QString::fromUtf8(nome);
            l.comando = comando;
            l.ingresso = ingresso;
            l.volte = volte;
            lettori.push_back(l);
        };
        // In each round the floors and the window take turns: A B A B.
        const QString pavimento = QStringLiteral(ZEL_PAVIMENTO);
        lettore("pavimento, 2 esecuzioni", {pavimento, s.Odbc(), QStringLiteral("2")});
        lettore("finestra, paginazione", {sé, QStringLiteral("finestra"), s.dsn, s.utente,
                                          s.password, righe, QStringLiteral("1")});
        lettore("pavimento, 1 esecuzione", {pavimento, s.Odbc(), QStringLiteral("1")});
        lettore("finestra, solo conteggio", {sé, QStringLiteral("finestra"), s.dsn, s.utente,
                                             s.password, righe, QStringLiteral("0")});
        lettore("pyodbc, 1 esecuzione",
                {QStringLiteral("/usr/bin/python3"), dir + QStringLiteral("/pyodbc_tutte.py"),
                 s.Odbc(), Istruzione});
        lettore("pavimento, 2 esecuzioni, con un thread",
                {pavimento, s.Odbc(), QStringLiteral("2"), QStringLiteral("thread")});
        lettore("isql -b, 1 esecuzione",
                {QStringLiteral("isql"), QStringLiteral("-b"), s.dsn, s.utente, s.password},
                dir + QStringLiteral("/istruzione.sql"));
        // The command, its password from a file of its own.
        const QString password = dir + QStringLiteral("/password-") + s.dsn;
        Scrivi(password, s.password + u'\n');
        QFile::setPermissions(password, QFile::ReadOwner | QFile::WriteOwner);
        const QStringList cli{
            QStringLiteral(ZEL_CLI),           QStringLiteral("--senza-impostazioni"),
            QStringLiteral("--odbc"),          s.dsn,
            QStringLiteral("--utente"),        s.utente,
            QStringLiteral("--file-password"), password};
        lettore("zelbrontica-cli, righe lette",
                cli + QStringList{QStringLiteral("--sql"), Istruzione});
        lettore("zelbrontica-cli, solo conteggio",
                cli + QStringList{QStringLiteral("--sql"), Istruzione,
                                  QStringLiteral("--solo-conteggio")});
        // A check lasts milliseconds: 25 launches a round each.
        constexpr int Controlli = 25;
        lettore("zelbrontica-cli, SELECT 1",
                cli + QStringList{QStringLiteral("--sql"), QStringLiteral("SELECT 1"),
                                  QStringLiteral("--solo-conteggio")},
                {}, Controlli);
        lettore("isql -b, SELECT 1",
                {QStringLiteral("isql"), QStringLiteral("-b"), s.dsn, s.utente, s.password},
                dir + QStringLiteral("/select1.sql"), Controlli);
        // What the command's start-up alone costs (QtCore and its libraries
        // loaded, options read), without the driver.
        lettore("zelbrontica-cli --version", {QStringLiteral(ZEL_CLI), QStringLiteral("--version")},
                {}, Controlli);
        std::unique_ptr<ScansioniServer> server;
        if (s.postgres) {
            server = std::make_unique<ScansioniServer>(s.Odbc());
        }
        const QString conta = dir + QStringLiteral("/esecuzioni.txt");
        for (int giro = 0; giro < p.giri; ++giro) {
            std::printf("  giro %d (s):", giro + 1);
            for (Lettore& l : lettori) {
                QFile::remove(conta);
                const double scansioniPrima = server ? server->Leggi() : 0;
                std::vector<double> secondi, picchi, cpu;
                for (int volta = 0; volta < l.volte; ++volta) {
                    const Esito e =
                        Lancia(l.comando, l.ingresso, dir + QStringLiteral("/uscita.txt"));
                    if (e.codice != 0) {
                        std::fprintf(stderr, "\n%s: uscita %d\n", qPrintable(l.nome), e.codice);
                        return 1;
                    }
                    secondi.push_back(e.secondi);
                    picchi.push_back(e.piccoMB);
                    cpu.push_back(e.cpu);
                }
                l.secondi.push_back(Mediana(secondi));
                l.picchi.push_back(Mediana(picchi));
                l.cpu.push_back(Mediana(cpu));
                l.esecuzioni.push_back(double(QFileInfo(conta).size()) / l.volte);
                if (server) {
                    l.scansioni.push_back((server->Leggi() - scansioniPrima) / l.volte);
                }
                std::printf(" %.3f", l.secondi.back());
                std::fflush(stdout);
            }
            std::printf("\n");
        }
        StampaTabella(s, p.righe, lettori);
        std::fflush(stdout);
        if (p.interne) {
            MisureInterneDi(s, sé, dir, p.righe);
        }
        if (p.salvataggio) {
            MisureSalvataggioDi(s, sé, dir, p.righe);
        }
        if (!s.postgres) {
            ultimoRapporto = PerGiro(lettori[1], lettori[0], &Lettore::secondi);
        }
    }
    if (ultimoRapporto >= 0) {
        std::printf("\nfinestra/pavimento, paginazione attiva, %lld righe, SQLite3 (mediana dei "
                    "rapporti per giro): %.2f\n",
                    p.righe, ultimoRapporto);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList a;
    for (int i = 1; i < argc; ++i) {
        a << QString::fromLocal8Bit(argv[i]);
    }
    try {
        // The window's modes start as the program's main does.
        memoria::PreparaHeap();
        if (a.size() == 6 && a[0] == u"finestra") {
            return CorsaFinestra(argc, argv, a);
        }
        if (a.size() == 5 && a[0] == u"interne") {
            return MisureInterne(argc, argv, a);
        }
        if (a.size() == 6 && a[0] == u"arresto") {
            return Arresto(argc, argv, a);
        }
        if (a.size() == 6 && a[0] == u"salva") {
            return Salvataggio(argc, argv, a);
        }
        Parametri p;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i] == u"--giri" && i + 1 < a.size()) {
                p.giri = a[++i].toInt();
            } else if (a[i] == u"--solo" && i + 1 < a.size()) {
                p.solo = a[++i];
            } else if (a[i] == u"--cartella" && i + 1 < a.size()) {
                p.cartella = a[++i];
            } else if (a[i] == u"--riusa") {
                p.riusa = true;
            } else if (a[i] == u"--senza-interne") {
                p.interne = false;
            } else if (a[i] == u"--senza-salvataggio") {
                p.salvataggio = false;
            } else if (a[i] == u"--solo-salvataggio") {
                p.soloSalvataggio = true;
            } else if (a[i].toLongLong() > 0) {
                p.righe = a[i].toLongLong();
            } else {
                std::fprintf(stderr, "uso: bench_elabora [righe] [--giri N] "
                                     "[--solo sqlite|postgres] [--senza-interne]\n"
                                     "       [--senza-salvataggio | --solo-salvataggio] "
                                     "[--cartella DIR [--riusa]]\n");
                return 2;
            }
        }
        QCoreApplication app(argc, argv);
        return Orchestra(p, QCoreApplication::applicationFilePath());
    } catch (const ado::Errore& e) {
        std::fprintf(stderr, "Errore: %s\n", e.what());
        return 1;
    }
}
