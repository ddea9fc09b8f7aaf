#include "comando/sorveglianza.h"

#include <QMutex>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace sorveglianza {
namespace {

std::atomic<int> motivo{int(Motivo::Nessuno)};
std::atomic<bool> inBlocco{false};
// Written by the main thread only while no blocking call is under way.
Fine fini[3];

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

[[noreturn]] void Termina(Motivo m) {
    const Fine& f = fini[int(m) - 1];
    ScriviTutto(STDERR_FILENO, f.err);
    ScriviTutto(STDOUT_FILENO, f.out);
    _exit(f.codice);
}

Motivo DaSegnale(int s) { return s == SIGINT ? Motivo::Sigint : Motivo::Sigterm; }

// Only async-signal-safe calls: a flag, and inside a blocking call the
// prepared output and _exit.
void Gestore(int s) {
    int nessuno = int(Motivo::Nessuno);
    motivo.compare_exchange_strong(nessuno, int(DaSegnale(s)));
    if (inBlocco.load())
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

void Avvia(std::optional<double> timeout, std::function<void()> annulla) {
    if (!timeout) {
        struct sigaction a {};
        a.sa_handler = Gestore;
        sigemptyset(&a.sa_mask);
        sigaction(SIGINT, &a, nullptr);
        sigaction(SIGTERM, &a, nullptr);
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

void PreparaFine(Fine interrotta, Fine terminata, Fine scaduta) {
    fini[0] = std::move(interrotta);
    fini[1] = std::move(terminata);
    fini[2] = std::move(scaduta);
}

void Dentro() {
    inBlocco.store(true);
    // A signal that came just before still ends the command now.
    if (Attuale() != Motivo::Nessuno && Attuale() != Motivo::Scadenza)
        Termina(Attuale());
}

void Fuori() { inBlocco.store(false); }

} // namespace sorveglianza
