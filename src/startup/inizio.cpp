// Start-up: fixes the settings file's path, then shows the window.
#include "startup/inizio.h"

#include "window/guida.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <memory>

namespace {
std::unique_ptr<Guida> finestra;
}

void Inizio::Main() {
    const QFileInfo eseguibile(QCoreApplication::applicationFilePath());
    const QString Path = eseguibile.absolutePath();
    const QString EXEName = eseguibile.completeBaseName();
    const SceltaINI scelta = ScegliFileINI(Path, EXEName);
    FileINI = scelta.percorso;
    if (!scelta.avviso.isEmpty()) {
        Segnala(scelta.avviso);
    }
    finestra = std::make_unique<Guida>();
    // Closing the window ends the program, even when a run had hidden it
    // first.
    QObject::connect(finestra.get(), &Guida::Chiusa, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    finestra->Show();
}

void Inizio::Fine() { finestra.reset(); }

Guida* Inizio::Finestra() { return finestra.get(); }
