#pragma once
// The connection string of a run, from the window's inputs, taken as they
// stand (no trimming, no quoting).
#include <QString>

QString CostruisciConnessione(const QString& modo, const QString& odbc, const QString& sistema,
                              const QString& utente, const QString& password);
