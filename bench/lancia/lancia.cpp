// Starts one reader and reports what it cost, from a process that stays
// small: Linux carries a parent's resident size into its child's peak
// (ru_maxrss) across fork and exec alike, so a reader started by the
// benchmark itself never showed less than the benchmark's own size.
//
//   lancia <misure> <ingresso> <uscita> <programma> [argomenti...]
//
// runs the program with standard input from <ingresso> and standard output
// to <uscita>, and writes one line to <misure>: wall seconds, CPU seconds
// (user + system) and peak resident KB of the program, and its exit code
// (128 + the signal when a signal ended it).
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double Secondi(const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; }

double Adesso() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "uso: lancia <misure> <ingresso> <uscita> <programma> [argomenti...]\n");
        return 2;
    }
    const double inizio = Adesso();
    const pid_t pid = fork();
    if (pid < 0) {
        return 1;
    }
    if (pid == 0) {
        const int i = open(argv[2], O_RDONLY);
        const int o = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (i < 0 || o < 0 || dup2(i, 0) < 0 || dup2(o, 1) < 0) {
            _exit(127);
        }
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    int stato = 0;
    rusage uso{};
    if (wait4(pid, &stato, 0, &uso) != pid) {
        return 1;
    }
    const double secondi = Adesso() - inizio;
    std::FILE* m = std::fopen(argv[1], "w");
    if (m == nullptr) {
        return 1;
    }
    std::fprintf(m, "%.6f %.6f %ld %d\n", secondi, Secondi(uso.ru_utime) + Secondi(uso.ru_stime),
                 uso.ru_maxrss, WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato));
    return std::fclose(m) == 0 ? 0 : 1;
}
