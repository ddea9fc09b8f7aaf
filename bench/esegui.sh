#!/usr/bin/env bash
# Builds bench_elabora (RelWithDebInfo, in build-bench or $ZEL_BENCH_BUILD),
# starts a throw-away PostgreSQL when it can, and runs the benchmark with the
# given arguments (see bench/README.md):
#
#   bench/esegui.sh                      # 1,000,000 rows, 5 rounds, both drivers
#   bench/esegui.sh 1000 --giri 1 --senza-interne     # a quick smoke run
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/installa.sh
source scripts/lib/postgres.sh

cartella=${ZEL_BENCH_BUILD:-build-bench}
installa_pacchetti "${PACCHETTI_COSTRUZIONE[@]}" odbc-postgresql postgresql python3-pyodbc
cmake -S . -B "$cartella" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$cartella" --target bench_elabora

trap pg_ferma EXIT
if ! pg_avvia; then
    echo "PostgreSQL non avviato: misuro solo SQLite" >&2
fi
"$cartella/bench/bench_elabora" "$@"
