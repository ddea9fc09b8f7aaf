#pragma once
// Opens the window the way start-up does, against a settings file in a
// temporary folder, and gives the tests a few ways to act like a user.
#include "startup/inizio.h"
#include "window/guida.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <functional>
#include <memory>

struct FinestraProva {
    QTemporaryDir cartella;
    std::unique_ptr<Guida> g;

    // `ini`: bytes of the settings file to start with (none when empty).
    explicit FinestraProva(const QByteArray& ini = {});
    ~FinestraProva();
    // Creates, loads and shows the window, and waits until it is active.
    Guida& apri();
    QString fileIni() const;
    QByteArray byteIni() const;
};

// Runs `azione` on the next modal message box that opens within `ms`, after
// reading its prompt and title. Returns immediately; check `letto` later.
struct Messaggio {
    QString prompt;
    QString titolo;
    int icona = 0;
    bool letto = false;
};
std::shared_ptr<Messaggio> AspettaMessaggio(int ms = 30000);

// The focus widget's objectName.
QString NomeFuoco();
