# shellcheck shell=bash
# The test suite built and run under AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer, with clang (CMake option ZEL_FUZZ, which implies
# ZEL_SANITIZE): the same build holds the libFuzzer targets, which
# scripts/lib/fuzz.sh runs. clang compiles the instrumented code about three
# times faster than g++ does, and one build serves both.
#
#   source scripts/lib/sanitizzatori.sh
#   sanitizzatori_costruisci build-asan
#   sanitizzatori_ctest build-asan [ctest arguments...]
#
# Any report fails the test that made it: the first error stops the process,
# with its stack. Leaks of third-party libraries are suppressed in
# tests/lsan.supp, those of our code never.

_SANITIZZATORI_RADICE="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The options, also for the fuzz targets (scripts/lib/fuzz.sh).
sanitizzatori_opzioni() {
    echo "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
    echo "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    echo "LSAN_OPTIONS=suppressions=$_SANITIZZATORI_RADICE/tests/lsan.supp:print_suppressions=0"
}

sanitizzatori_costruisci() {
    local cartella=${1:?uso: sanitizzatori_costruisci CARTELLA}
    cmake -S "$_SANITIZZATORI_RADICE" -B "$cartella" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DZEL_FUZZ=ON >/dev/null &&
    cmake --build "$cartella"
}

sanitizzatori_ctest() {
    local cartella=${1:?uso: sanitizzatori_ctest CARTELLA [argomenti di ctest]}
    shift
    local opzioni
    mapfile -t opzioni < <(sanitizzatori_opzioni)
    env "${opzioni[@]}" ctest --test-dir "$cartella" "$@"
}
