#include "support/guasti.h"

#include "support/corsa_prova.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zeltest {

// ---- ServerMuto ----

ServerMuto::ServerMuto() {
    ascolto_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in indirizzo{};
    indirizzo.sin_family = AF_INET;
    indirizzo.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t lunghezza = sizeof indirizzo;
    auto* generico = reinterpret_cast<sockaddr*>(&indirizzo);
    if (ascolto_ < 0 || bind(ascolto_, generico, lunghezza) != 0 || listen(ascolto_, 16) != 0 ||
        getsockname(ascolto_, generico, &lunghezza) != 0) {
        qFatal("Server muto: impossibile ascoltare su 127.0.0.1");
    }
    porta_ = ntohs(indirizzo.sin_port);
    operaio_ = std::thread([this] { accetta(); });
}

ServerMuto::~ServerMuto() {
    fine_ = true;
    operaio_.join();
    Lascia();
    close(ascolto_);
}

void ServerMuto::Lascia() {
    std::lock_guard blocco(guardia_);
    for (int s : connessioni_) {
        close(s);
    }
    connessioni_.clear();
}

void ServerMuto::accetta() {
    pollfd attesa{ascolto_, POLLIN, 0};
    while (!fine_) {
        if (poll(&attesa, 1, 50) > 0) {
            const int s = accept(ascolto_, nullptr, nullptr);
            if (s >= 0) {
                std::lock_guard blocco(guardia_);
                connessioni_.push_back(s);
            }
        }
    }
}

// ---- Cluster ----

namespace {

QString Dati() { return qEnvironmentVariable("ZEL_PG_CARTELLA") + QStringLiteral("/dati"); }

bool PgCtl(const QStringList& argomenti) {
    const QString pgCtl = qEnvironmentVariable("ZEL_PG_BIN") + QStringLiteral("/pg_ctl");
    QStringList comando = QStringList{pgCtl, QStringLiteral("-D"), Dati()} + argomenti;
    const QString proprietario = QFileInfo(Dati()).owner();
    if (geteuid() == 0 && proprietario != QLatin1String("root")) {
        comando = QStringList{QStringLiteral("-u"), proprietario, QStringLiteral("--")} + comando;
        comando.prepend(QStringLiteral("runuser"));
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(comando.takeFirst(), comando);
    const bool riuscito =
        p.waitForFinished(90000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!riuscito) {
        qWarning().noquote() << "pg_ctl non riuscito:" << p.readAll();
    }
    return riuscito;
}

} // namespace

Cluster::~Cluster() {
    if (fermo) {
        Riavvia();
    }
}

bool Cluster::Disponibile() {
    return QFileInfo::exists(Dati()) && !qEnvironmentVariable("ZEL_PG_BIN").isEmpty();
}

void Cluster::Ferma() {
    fermo = PgCtl({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")});
}

bool Cluster::Riavvia() {
    // restart finds the options of the last start in the cluster's folder.
    const bool riavviato =
        PgCtl({QStringLiteral("-l"),
               qEnvironmentVariable("ZEL_PG_CARTELLA") + QStringLiteral("/server.log"),
               QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
               QStringLiteral("restart")});
    fermo = fermo && !riavviato;
    return riavviato;
}

// ---- Messaggi ----

Messaggi::Messaggi() {
    dallInizio_.start();
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        if (++aperti == 1) {
            primo.prompt = box->property("prompt").toString();
            primo.titolo = box->windowTitle();
            primo.icona = static_cast<int>(box->icon());
            primo.letto = true;
            dopoMs = dallInizio_.elapsed();
            fuoriSchermo = !box->screen()->availableGeometry().contains(box->frameGeometry());
        }
        box->accept();
    });
    timer_.start();
}

// ---- Checks ----

void ControllaFallimento(Guida& g, const Messaggi& messaggi, const QStringList& ammessi) {
    QCOMPARE(messaggi.aperti, 1);
    const QString& prompt = messaggi.primo.prompt;
    const QString& atteso = ammessi.contains(prompt) ? prompt : ammessi.first();
    if (prompt != atteso) {
        // The comparison below shows the start of the texts; the end differs.
        const auto errore = [](const QString& t) { return t.mid(t.indexOf(u"\r\n\r\nErrore: ")); };
        qInfo().noquote() << "ottenuto:" << errore(prompt) << "\natteso:" << errore(atteso);
    }
    QCOMPARE(prompt, atteso);
    QCOMPARE(messaggi.primo.titolo, QStringLiteral("Attenzione"));
    QCOMPARE(messaggi.primo.icona, int(QMessageBox::Critical));
    QVERIFY(!g.frmELABORAZIONE.Visible());
    ControllaRiposo(g);
}

void ControllaFallimento(Guida& g, const Messaggi& messaggi, const QString& atteso) {
    ControllaFallimento(g, messaggi, QStringList{atteso});
}

void ControllaRiuscita(Guida& g) {
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    QVERIFY(g.frmELABORAZIONE.widget()->isVisible());
    ControllaRiposo(g);
}

} // namespace zeltest
