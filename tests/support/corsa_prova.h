#pragma once
// Driving a run through the window as a user would: the inputs typed,
// "elabora" clicked and the run waited out, actions at a given point of a
// run, and the checks the run tests share.
#include "support/finestra_prova.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>

// The status line of a completed run.
extern const QRegularExpression RigaFinale;

// The inputs of a run in mode ODBC. The user and password the SQLite
// driver ignores by default; InserisciPg's are those of the test server.
void Inserisci(Guida& g, const QString& dsn, const QString& sql,
               const QString& utente = QStringLiteral("ZELTEST"),
               const QString& password = QStringLiteral("zelpass"));
QString UtentePg();
QString PasswordPg();
void InserisciPg(Guida& g, const QString& sql, const QString& dsn = QStringLiteral("ZELTEST_PG"),
                 const QString& utente = UtentePg(), const QString& password = PasswordPg());

// Clicks "elabora" and returns once the run is over, by whatever path
// (the window's events are handled meanwhile, as a user's would be).
void Elabora(Guida& g);

// Calls `azione` once, `ritardo` ms after the first pass of the window's
// events at which `condizione` holds (at once when 0).
void Quando(Guida& g, std::function<bool()> condizione, std::function<void()> azione,
            int ritardo = 0);
// ...when the status text starts with `fase`.
void AllaFase(Guida& g, const QString& fase, std::function<void()> azione, int ritardo = 0);

// A mouse click delivered to the widget.
void ClickVero(QWidget* w);

QStringList Righe(const ListBox& l);

// The failure message of a run; without `errore`, its start.
QString TestoErrore(const QString& connessione, const QString& sql,
                    const QString& errore = QString());

// No run in progress, "elabora" enabled and "arresta" disabled.
void ControllaRiposo(Guida& g);

// After a helper's QCOMPARE or QVERIFY failed, the test function stops too.
#define CONTROLLA(chiamata)                                                                        \
    do {                                                                                           \
        chiamata;                                                                                  \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)
