# shellcheck shell=bash
# The libFuzzer targets of tests/fuzz, built with the sanitized tests
# (scripts/lib/sanitizzatori.sh, CMake option ZEL_FUZZ).
#
#   source scripts/lib/sanitizzatori.sh scripts/lib/fuzz.sh
#   sanitizzatori_costruisci build-asan
#   fuzz_esegui build-asan 20      # each target for 20 seconds
#   fuzz_minimizza build-asan      # by hand: folds what the runs added into
#                                  # tests/fuzz/corpus (only inputs that
#                                  # reach new code)
#
# A run starts from tests/fuzz/corpus/<target>/ (named seeds, the inputs of
# past findings, and a minimized corpus) and keeps what it adds in
# <build>/corpus/<target>/, out of the repository. An input that fails a
# target is written to <build>/trovati/. Whatever a fuzzer finds becomes a
# QtTest case, and its input joins the seeds.

_FUZZ_RADICE="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The fuzz executables of a build folder, one a line.
_fuzz_obiettivi() {
    local t
    for t in "$1"/tests/fuzz/fuzz_*; do
        [ -f "$t" ] && [ -x "$t" ] && echo "$t"
    done
}

# Runs every target for the given seconds; one line each: executions, time,
# corpus. Returns non-zero when a target failed.
fuzz_esegui() {
    local build=${1:?uso: fuzz_esegui CARTELLA [SECONDI]} secondi=${2:-20}
    local esito=0 t nome log opzioni
    mapfile -t opzioni < <(sanitizzatori_opzioni)
    mkdir -p "$build/trovati"
    while read -r t; do
        nome=$(basename "$t")
        log="$build/$nome.log"
        mkdir -p "$build/corpus/$nome"
        if ! env "${opzioni[@]}" "$t" -max_total_time="$secondi" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/trovati/$nome-" \
            "$build/corpus/$nome" "$_FUZZ_RADICE/tests/fuzz/corpus/$nome" >"$log" 2>&1; then
            echo "$nome: FALLITO (registro: $log; input: $build/trovati/)"
            grep -m 5 -E 'verifica fallita|ERROR|runtime error' "$log" || true
            esito=1
            continue
        fi
        awk -v nome="$nome" '
            /^stat::number_of_executed_units:/ { n = $2 }
            /^stat::average_exec_per_sec:/ { s = $2 }
            /^Done [0-9]+ runs in/ { t = $(NF - 1) }
            /^#[0-9]+.*corp: / { sub(/.*corp: /, ""); sub(/ .*/, ""); c = $0 }
            END { printf "%s: %d esecuzioni in %d s (%d/s), corpus %s\n", nome, n, t, s, c }' "$log"
    done < <(_fuzz_obiettivi "$build")
    return $esito
}

fuzz_minimizza() {
    local build=${1:?uso: fuzz_minimizza CARTELLA} t nome
    while read -r t; do
        nome=$(basename "$t")
        "$t" -merge=1 "$_FUZZ_RADICE/tests/fuzz/corpus/$nome" "$build/corpus/$nome" \
            >"$build/$nome.merge.log" 2>&1
        echo "$nome: $(find "$_FUZZ_RADICE/tests/fuzz/corpus/$nome" -type f | wc -l) file nel corpus"
    done < <(_fuzz_obiettivi "$build")
}
