#include "support/finestra_prova.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

FinestraProva::FinestraProva(const QByteArray& ini) {
    Inizio::FileINI = fileIni();
    if (!ini.isEmpty()) {
        QFile f(fileIni());
        if (f.open(QIODevice::WriteOnly)) {
            f.write(ini);
        }
    }
}

FinestraProva::~FinestraProva() {
    if (g) {
        g->hide();
    }
    g.reset();
}

Guida& FinestraProva::apri() {
    g = std::make_unique<Guida>();
    g->Show();
    g->activateWindow();
    (void)QTest::qWaitForWindowActive(g.get(), 5000);
    return *g;
}

QString FinestraProva::fileIni() const {
    return cartella.filePath(QStringLiteral("zelbrontica.INI"));
}

QByteArray FinestraProva::byteIni() const {
    QFile f(fileIni());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::shared_ptr<Messaggio> AspettaMessaggio(int ms) {
    auto m = std::make_shared<Messaggio>();
    auto* timer = new QTimer(qApp); // deletes itself once done
    QElapsedTimer scaduto;
    scaduto.start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [m, timer, scaduto, ms] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box) {
            m->prompt = box->property("prompt").toString();
            m->titolo = box->windowTitle();
            m->icona = static_cast<int>(box->icon());
            m->letto = true;
            box->accept();
        }
        if (box || scaduto.elapsed() > ms) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return m;
}

QString NomeFuoco() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}
