#include "comando/sorveglianza.h"

#include <QMutex>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace sorveglianza {
namespace {

std::atomic<int> motivo{int(Motivo::Nessuno)};
bool (*annullaDalGestore)() = nullptr;
std::atomic<bool> inBlocco{false};
// Written by the main thread only while no blocking call is under way.
Fine fini[3];
qint64 inizioCorsa = 0;

void ScriviTutto(int fd, const QByteArray& b) {
    const char* p = b.constData();
    qsizetype resto = b.size();
    while (resto > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(resto));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        resto -= n;
    }
}

// Writes `n` with `decimali` digits after the point, async-signal-safely.
void ScriviNumero(int fd, qint64 n, int decimali) {
    char testo[32];
    char* p = testo + sizeof testo;
    for (int i = 0; i <= decimali || n > 0; ++i) {
        if (i == decimali && decimali > 0)
            *--p = '.';
        *--p = char('0' + n % 10);
        n /= 10;
    }
    ScriviTutto(fd, QByteArray::fromRawData(p, testo + sizeof testo - p));
}

// Writes the prepared output with the total of the run up to now in place
// of its placeholder: milliseconds, and seconds in a check's line.
void ScriviConTotale(int fd, const QByteArray& b, qint64 totale) {
    static constexpr char kMs[] = "999999999.999";
    static constexpr char kS[] = "999999.999999";
    const qsizetype lunghezza = sizeof kMs - 1;
    static_assert(sizeof kMs == sizeof kS);
    qsizetype da = 0;
    for (qsizetype i = 0; i + lunghezza <= b.size(); ++i) {
        const char* p = b.constData() + i;
        const bool ms = std::memcmp(p, kMs, lunghezza) == 0;
        if (!ms && std::memcmp(p, kS, lunghezza) != 0)
            continue;
        ScriviTutto(fd, QByteArray::fromRawData(b.constData() + da, i - da));
        ScriviNumero(fd, totale / 1'000, ms ? 3 : 6); // microseconds
        da = i + lunghezza;
        i = da - 1;
    }
    ScriviTutto(fd, QByteArray::fromRawData(b.constData() + da, b.size() - da));
}

[[noreturn]] void Termina(Motivo m) {
    const Fine& f = fini[int(m) - 1];
    const qint64 totale = Adesso() - inizioCorsa;
    ScriviConTotale(STDERR_FILENO, f.err, totale);
    ScriviConTotale(STDOUT_FILENO, f.out, totale);
    _exit(f.codice);
}

Motivo DaSegnale(int s) { return s == SIGINT ? Motivo::Sigint : Motivo::Sigterm; }

// The alarm set by a signal's cancel: the run did not end in time.
void Allarme(int) { Termina(Motivo(motivo.load())); }

// A flag; inside a blocking call, the statement's cancel and an alarm half a
// second on, or at once the prepared output and _exit.
void Gestore(int s) {
    int nessuno = int(Motivo::Nessuno);
    const bool primo = motivo.compare_exchange_strong(nessuno, int(DaSegnale(s)));
    if (!inBlocco.load())
        return;
    if (primo && annullaDalGestore) {
        // The alarm before the cancel: a cancel that never returns (the
        // driver waiting on a lock the interrupted call holds) still ends
        // the process on time.
        itimerval mezzo{};
        mezzo.it_value.tv_usec = 500'000;
        setitimer(ITIMER_REAL, &mezzo, nullptr);
        if (annullaDalGestore())
            return;
    }
    Termina(Motivo(motivo.load()));
}

void Osserva(timespec scadenza, std::function<void()> annulla) {
    sigset_t segnali;
    sigemptyset(&segnali);
    sigaddset(&segnali, SIGINT);
    sigaddset(&segnali, SIGTERM);
    Motivo m = Motivo::Scadenza;
    for (;;) {
        timespec ora{};
        clock_gettime(CLOCK_MONOTONIC, &ora);
        qint64 resto =
            (scadenza.tv_sec - ora.tv_sec) * 1'000'000'000LL + (scadenza.tv_nsec - ora.tv_nsec);
        if (resto <= 0)
            break;
        const timespec attesa{static_cast<time_t>(resto / 1'000'000'000LL),
                              static_cast<long>(resto % 1'000'000'000LL)};
        const int s = sigtimedwait(&segnali, nullptr, &attesa);
        if (s > 0) {
            m = DaSegnale(s);
            break;
        }
    }
    int nessuno = int(Motivo::Nessuno);
    motivo.compare_exchange_strong(nessuno, int(m));
    annulla();
    // The run ends by itself once the statement is cancelled; a driver that
    // ignores the cancel gets half a second.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Termina(Motivo(motivo.load()));
}

} // namespace

void Avvia(std::optional<double> timeout, std::function<void()> annulla,
           bool (*annullaNelGestore)()) {
    if (!timeout) {
        annullaDalGestore = annullaNelGestore;
        struct sigaction a {};
        a.sa_handler = Gestore;
        sigemptyset(&a.sa_mask);
        sigaction(SIGINT, &a, nullptr);
        sigaction(SIGTERM, &a, nullptr);
        a.sa_handler = Allarme;
        sigaction(SIGALRM, &a, nullptr);
        return;
    }
    // The signals go to the watcher alone.
    sigset_t segnali;
    sigemptyset(&segnali);
    sigaddset(&segnali, SIGINT);
    sigaddset(&segnali, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &segnali, nullptr);
    timespec scadenza{};
    clock_gettime(CLOCK_MONOTONIC, &scadenza);
    const auto ns = static_cast<qint64>(*timeout * 1e9) + scadenza.tv_nsec;
    scadenza.tv_sec += static_cast<time_t>(ns / 1'000'000'000LL);
    scadenza.tv_nsec = static_cast<long>(ns % 1'000'000'000LL);
    std::thread(Osserva, scadenza, std::move(annulla)).detach();
}

Motivo Attuale() { return Motivo(motivo.load(std::memory_order_relaxed)); }

void PreparaFine(Fine interrotta, Fine terminata, Fine scaduta, qint64 inizio) {
    fini[0] = std::move(interrotta);
    fini[1] = std::move(terminata);
    fini[2] = std::move(scaduta);
    inizioCorsa = inizio;
}

qint64 Adesso() {
    timespec ora{};
    clock_gettime(CLOCK_MONOTONIC, &ora);
    return ora.tv_sec * 1'000'000'000LL + ora.tv_nsec;
}

void Dentro() {
    inBlocco.store(true);
    // A signal that came just before still ends the command now.
    if (Attuale() != Motivo::Nessuno && Attuale() != Motivo::Scadenza)
        Termina(Attuale());
}

void Fuori() {
    inBlocco.store(false);
    // The call came back after a cancel: the run ends by itself.
    const itimerval nessuno{};
    setitimer(ITIMER_REAL, &nessuno, nullptr);
}

} // namespace sorveglianza
