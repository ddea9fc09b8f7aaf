#include "support/guasti.h"

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

} // namespace zeltest
