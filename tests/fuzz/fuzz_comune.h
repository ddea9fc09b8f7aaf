#pragma once
// What the fuzz targets share: a failed check aborts (libFuzzer keeps the
// input), and text is drawn as any UTF-16, lone surrogates included.
#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

inline void Verifica(bool condizione, const char* perche) {
    if (!condizione) {
        std::fprintf(stderr, "verifica fallita: %s\n", perche);
        std::abort();
    }
}

// From UTF-8 bytes, or raw UTF-16 code units, as the first byte says.
inline QString Testo(FuzzedDataProvider& dati, std::size_t massimo) {
    const bool grezzo = dati.ConsumeBool();
    const std::string b = dati.ConsumeRandomLengthString(massimo);
    if (!grezzo) {
        return QString::fromUtf8(b.data(), qsizetype(b.size()));
    }
    return QString(reinterpret_cast<const QChar*>(b.data()), qsizetype(b.size() / 2));
}

// With ZEL_FUZZ_MOSTRA set (replaying one input by hand), prints a drawn
// value with its code units, to see what a failing input stands for.
inline void Mostra(const char* nome, const QString& testo) {
    if (qEnvironmentVariableIsEmpty("ZEL_FUZZ_MOSTRA")) {
        return;
    }
    std::fprintf(stderr, "%s (%lld):", nome, static_cast<long long>(testo.size()));
    for (const QChar c : testo) {
        std::fprintf(stderr, " %04x", c.unicode());
    }
    std::fprintf(stderr, "\n");
}
