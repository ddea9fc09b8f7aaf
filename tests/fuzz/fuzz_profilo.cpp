// The settings file under any bytes, any section, key and value:
// - reading never fails and never gives more than 254 characters, nor writes
//   past the end of the value in the caller's buffer;
// - a write followed by a read gives the value back as the narrow code page
//   keeps it (CR and LF as blanks, characters outside Windows-1252 as "?",
//   blanks and tabs trimmed, at most 254 characters);
// - a write keeps every other line of the file as it was.
// The code-page oracle is glibc's iconv, not the table of profilo.cpp.
#include "fuzz_comune.h"
#include "settings/profilo.h"
#include "settings/impostazioni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <iconv.h>

#include <array>
#include <memory>
#include <vector>

namespace {

// For each UTF-16 code unit, the character it becomes through the narrow
// code page: itself, its Windows-1252 look-alike, or "?".
const std::array<char16_t, 0x10000>& TabellaStretta() {
    static const auto tabella = [] {
        auto t = std::make_unique<std::array<char16_t, 0x10000>>();
        iconv_t avanti = iconv_open("WINDOWS-1252", "UTF-16LE");
        iconv_t indietro = iconv_open("UTF-16LE", "WINDOWS-1252");
        Verifica(avanti != iconv_t(-1) && indietro != iconv_t(-1), "iconv senza WINDOWS-1252");
        for (unsigned u = 0; u < 0x10000; ++u) {
            char in[2] = {char(u & 0xFF), char(u >> 8)};
            char mezzo[4] = {};
            char fuori[4] = {};
            char* pi = in;
            char* pm = mezzo;
            size_t ni = 2;
            size_t nm = sizeof mezzo;
            (*t)[u] = u'?';
            if (iconv(avanti, &pi, &ni, &pm, &nm) == size_t(-1) || ni != 0) {
                iconv(avanti, nullptr, nullptr, nullptr, nullptr);
                continue;
            }
            char* pm2 = mezzo;
            size_t nm2 = sizeof mezzo - nm;
            char* pf = fuori;
            size_t nf = sizeof fuori;
            if (iconv(indietro, &pm2, &nm2, &pf, &nf) != size_t(-1) && nf == 2) {
                (*t)[u] = char16_t(uchar(fuori[0]) | uchar(fuori[1]) << 8);
            }
        }
        // The five bytes the code page leaves undefined keep their Latin-1
        // meaning, so that a hand-written byte survives a write.
        for (char16_t u : {u'\x81', u'\x8D', u'\x8F', u'\x90', u'\x9D'}) {
            (*t)[u] = u;
        }
        iconv_close(avanti);
        iconv_close(indietro);
        return t;
    }();
    return *tabella;
}

QString Stretto(const QString& testo) {
    QString r;
    for (qsizetype i = 0; i < testo.size(); ++i) {
        const QChar c = testo[i];
        if (c.isHighSurrogate() && i + 1 < testo.size() && testo[i + 1].isLowSurrogate()) {
            r += u'?';
            ++i;
        } else {
            r += QChar(TabellaStretta()[c.unicode()]);
        }
    }
    return r;
}

QString Rifilato(QString testo) {
    while (!testo.isEmpty() && (testo.front() == u' ' || testo.front() == u'\t')) {
        testo.remove(0, 1);
    }
    while (!testo.isEmpty() && (testo.back() == u' ' || testo.back() == u'\t')) {
        testo.chop(1);
    }
    return testo;
}

// What a read gives back after ScriviINI(valore).
QString Atteso(QString valore) {
    valore.replace(u'\r', u' ').replace(u'\n', u' ');
    return Rifilato(Stretto(valore)).left(254);
}

// A name the file can hold on a line of its own and find again.
bool NomeUsabile(const QString& nome, bool sezione) {
    const QString s = Stretto(nome);
    if (s.isEmpty() || s != Rifilato(s) || s.contains(u'\r') || s.contains(u'\n')) {
        return false;
    }
    if (sezione) {
        return !s.contains(u']');
    }
    return !s.contains(u'=') && !s.startsWith(u'[') && !s.startsWith(u';');
}

QByteArray Leggi(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<QByteArray> Righe(const QByteArray& byte) {
    std::vector<QByteArray> righe;
    for (qsizetype inizio = 0; inizio < byte.size();) {
        qsizetype lf = byte.indexOf('\n', inizio);
        const qsizetype fine = lf < 0 ? byte.size() : lf;
        QByteArray riga = byte.sliced(inizio, fine - inizio);
        if (lf >= 0 && riga.endsWith('\r')) {
            riga.chop(1);
        }
        righe.push_back(riga);
        inizio = fine + 1;
    }
    return righe;
}

// `dopo` is `prima` with one line replaced, one line inserted, or two lines
// (a section and its key) added at the end.
bool RestoIntatto(const std::vector<QByteArray>& prima, const std::vector<QByteArray>& dopo) {
    const std::size_t n = prima.size();
    if (dopo.size() == n) {
        std::size_t diverse = 0;
        for (std::size_t i = 0; i < n; ++i) {
            diverse += prima[i] != dopo[i];
        }
        return diverse <= 1;
    }
    if (dopo.size() == n + 2) {
        return std::equal(prima.begin(), prima.end(), dopo.begin());
    }
    if (dopo.size() != n + 1) {
        return false;
    }
    std::size_t i = 0;
    while (i < n && prima[i] == dopo[i]) {
        ++i;
    }
    return std::equal(prima.begin() + std::ptrdiff_t(i), prima.end(),
                      dopo.begin() + std::ptrdiff_t(i) + 1);
}

const QString& FileDiProva() {
    static QTemporaryDir* cartella = [] {
        // Every write syncs the file: on a memory file system that is free.
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        auto* c = new QTemporaryDir(base + QStringLiteral("/zelfuzz-XXXXXX"));
        Verifica(c->isValid(), "cartella temporanea");
        std::atexit([] { delete cartella; });
        return c;
    }();
    static const QString file = cartella->filePath(QStringLiteral("Zel.INI"));
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* byte, size_t n) {
    FuzzedDataProvider dati(byte, n);
    const QString sezione = Testo(dati, 40);
    const QString chiave = Testo(dati, 40);
    const QString valore = Testo(dati, 700);
    const QString predefinito = Testo(dati, 600);
    const auto dimensione = dati.ConsumeIntegralInRange<quint32>(0, 300);
    const std::vector<char> resto = dati.ConsumeRemainingBytes<char>();
    const QByteArray contenuto(resto.data(), qsizetype(resto.size()));

    Mostra("sezione", sezione);
    Mostra("chiave", chiave);
    Mostra("valore", valore);
    Mostra("predefinito", predefinito);
    Mostra("contenuto", QString::fromLatin1(contenuto));

    const QString& file = FileDiProva();
    {
        QFile f(file);
        Verifica(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "apertura");
        Verifica(f.write(contenuto) == contenuto.size(), "scrittura del contenuto");
    }

    // Reading: bounded, and the buffer past the value's terminator untouched.
    Verifica(Inizio::LeggiINI(file, sezione, chiave, predefinito).size() <= 254, "oltre 254");
    QString buffer(300, u'#');
    const quint32 letti =
        profilo::GetPrivateProfileStringA(sezione, chiave, predefinito, buffer, dimensione, file);
    Verifica(dimensione == 0 ? letti == 0 : letti < dimensione, "conteggio oltre la dimensione");
    Verifica(buffer.size() == 300, "buffer ridimensionato");
    for (qsizetype i = letti + 1; i < buffer.size(); ++i) {
        Verifica(buffer[i] == u'#', "buffer toccato oltre il terminatore");
    }
    if (letti < dimensione && letti < 300) {
        Verifica(buffer[letti] == u'\0', "manca il terminatore");
    }

    // Writing, then reading back.
    Inizio::ScriviINI(file, sezione, chiave, valore);
    const QByteArray dopo = Leggi(file);
    if (!NomeUsabile(sezione, true) || !NomeUsabile(chiave, false)) {
        return 0;
    }
    Verifica(Inizio::LeggiINI(file, sezione, chiave, QStringLiteral("\x01")) == Atteso(valore),
             "il valore scritto non torna");
    Verifica(RestoIntatto(Righe(contenuto), Righe(dopo)), "righe altrui cambiate");
    return 0;
}
