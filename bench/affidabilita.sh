#!/usr/bin/env bash
# Reliability of zelbrontica-cli (not part of the test suite: it takes a few
# minutes). Against a throw-away PostgreSQL (scripts/lib/postgres.sh):
#
# - 1,000 consecutive --controllo checks, each its own process, leave the
#   server's connection count (pg_stat_activity) where it was;
# - open files: separate processes cannot leak into each other, so the
#   descriptors are watched in one long process instead, /proc/<pid>/fd
#   sampled while it makes 1,000 runs (a connection each, as the window, then
#   one kept connection): what is open late in the run must be no more than
#   what was open early on (a leak of one descriptor per connection would
#   show as hundreds);
# - 20 commands at once, each a different row count, all answer theirs;
# - a silent server (a port that accepts and never answers) ends at the
#   connection time-out; the whole run's --timeout, the driver's
#   --command-timeout, a missing driver and a server stopped mid-read each
#   give their state, status line and exit code, in time.
#
#   bench/affidabilita.sh           # builds in build-bench ($ZEL_BENCH_BUILD)
#   ZEL_AFFIDABILITA_GIRI=100 bench/affidabilita.sh   # a quicker pass
#
# Prints one line per check (OK or ERRORE) with its figures; exit status 1
# when any check fails.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/lib/installa.sh
source scripts/lib/postgres.sh

cartella=${ZEL_BENCH_BUILD:-build-bench}
giri=${ZEL_AFFIDABILITA_GIRI:-1000}
installa_pacchetti "${PACCHETTI_COSTRUZIONE[@]}" odbc-postgresql postgresql python3 || exit 1
cmake -S . -B "$cartella" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$cartella" --target zelbrontica-cli >/dev/null || exit 1
cli=$(realpath "$cartella/zelbrontica-cli")

lavoro=$(mktemp -d "${TMPDIR:-/tmp}/zelaffidabilita.XXXXXX")
muto=
fine() {
    [ -n "$muto" ] && kill "$muto" 2>/dev/null
    pg_ferma
    rm -rf "$lavoro"
}
trap fine EXIT
pg_avvia || exit 1

# Data sources of our own: the test server, the same through a cursor read
# a block at a time, a driver that is not there; the silent server's below.
driver_pg=$(ls /usr/lib/*/odbc/psqlodbcw.so /usr/lib/odbc/psqlodbcw.so 2>/dev/null | head -n 1)
cat >"$lavoro/odbcinst.ini" <<EOF
[PostgreSQL Unicode]
Driver=$driver_pg

[Zel Driver Mancante]
Driver=$lavoro/libzelmancante.so
EOF
cat >"$lavoro/odbc.ini" <<EOF
[ZELAFF_PG]
Driver=PostgreSQL Unicode
Servername=$ZEL_PG_HOST
Port=$ZEL_PG_PORT
Database=$ZEL_PG_DB
SSLMode=disable

[ZELAFF_PG_CURSORE]
Driver=PostgreSQL Unicode
Servername=$ZEL_PG_HOST
Port=$ZEL_PG_PORT
Database=$ZEL_PG_DB
SSLMode=disable
UseDeclareFetch=1
Fetch=100

[ZELAFF_SENZA_DRIVER]
Driver=Zel Driver Mancante
EOF
export ODBCSYSINI=$lavoro ODBCINI=$lavoro/odbc.ini ZELBRONTICA_PASSWORD=$ZEL_PG_PASSWORD
comune=(--senza-impostazioni --utente "$ZEL_PG_USER")
pg=("${comune[@]}" --odbc ZELAFF_PG)

esito=0
risultato() { # status of the check, its description
    if [ "$1" -eq 0 ]; then
        echo "OK      $2"
    else
        echo "ERRORE  $2"
        esito=1
    fi
}

adesso_ms() { echo $(($(date +%s%N) / 1000000)); }

# Runs the command with the given options, stopped anyway after $1 seconds;
# sets uscita (stdout), codice and ms.
lancia() {
    local limite=$1 inizio
    shift
    inizio=$(adesso_ms)
    uscita=$(timeout -k 2 "$limite" "$cli" "$@" 2>"$lavoro/stderr")
    codice=$?
    ms=$(($(adesso_ms) - inizio))
}

# The last run: exit code $2, stdout starting with $3, at least $4 and at
# most $5 milliseconds.
verifica() {
    local descrizione=$1 atteso=$2 prefisso=$3 almeno=$4 entro=$5
    [ "$codice" -eq "$atteso" ] && [[ "$uscita" == "$prefisso"* ]] &&
        [ "$ms" -ge "$almeno" ] && [ "$ms" -le "$entro" ]
    risultato $? "$descrizione: codice $codice (atteso $atteso), $ms ms (atteso da $almeno a $entro)"
    if [[ "$prefisso" == ZELBRONTICA* ]]; then
        echo "        $(head -n 1 <<<"$uscita" | cut -c 1-240)"
    else
        echo "        $(head -n 1 "$lavoro/stderr" | cut -c 1-240)"
    fi
}

# Client connections to the server, ours for the count aside.
connessioni() {
    _pg_come_proprietario "$ZEL_PG_BIN/psql" -h "$ZEL_PG_CARTELLA" -p "$ZEL_PG_PORT" -U postgres \
        -d postgres -Atc "SELECT count(*) FROM pg_stat_activity
                          WHERE backend_type = 'client backend' AND pid <> pg_backend_pid()"
}

# A backend ends a moment after its client leaves: waits up to 5 s for the
# count to come back to $1.
connessioni_tornate() {
    for _ in $(seq 1 50); do
        [ "$(connessioni)" -eq "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

echo "zelbrontica-cli: $cli ($("$cli" --version))"
echo "PostgreSQL: porta $ZEL_PG_PORT, $("$ZEL_PG_BIN/postgres" --version)"

# ---- Consecutive checks ----
prima=$(connessioni)
falliti=0
inizio=$(adesso_ms)
for i in $(seq 1 "$giri"); do
    riga=$(timeout -k 2 60 "$cli" "${pg[@]}" --controllo --sql 'SELECT 1' 2>&1)
    c=$?
    if [ $c -ne 0 ] || [[ "$riga" != "ZELBRONTICA OK"* ]]; then
        falliti=$((falliti + 1))
        [ $falliti -le 3 ] && echo "        controllo $i: codice $c: $riga"
    fi
done
durata=$(($(adesso_ms) - inizio))
connessioni_tornate "$prima"
tornate=$?
dopo=$(connessioni)
[ $falliti -eq 0 ] && [ $tornate -eq 0 ]
risultato $? "$giri controlli consecutivi: $falliti non OK; connessioni al server $prima prima, \
$dopo dopo; $durata ms ($((durata / giri)) ms a controllo, processo intero)"

# ---- Open files of one long process ----
# $1: description; the rest: options beside the run's own.
descrittori() {
    local descrizione=$1 pid n campioni=() durante= prima
    shift
    prima=$(connessioni)
    "$cli" "${pg[@]}" --sql 'SELECT 1' --ripeti "$giri" --formato csv "$@" \
        >"$lavoro/giri.csv" 2>"$lavoro/stderr" &
    pid=$!
    local inizio
    inizio=$(adesso_ms)
    while n=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l) && [ "$n" -gt 0 ]; do
        campioni+=("$n")
        # The server's count once, a second in.
        if [ -z "$durante" ] && [ $(($(adesso_ms) - inizio)) -ge 1000 ]; then
            durante=$(connessioni)
        fi
        sleep 0.02
    done
    wait "$pid"
    c=$?
    connessioni_tornate "$prima"
    local tornate=$? k=${#campioni[@]}
    # The most open in the second tenth of the samples and in the last tenth.
    local presto tardi
    presto=$(printf '%s\n' "${campioni[@]:$((k / 10)):$((k / 10 + 1))}" | sort -n | tail -n 1)
    tardi=$(printf '%s\n' "${campioni[@]:$((k - k / 10 - 1))}" | sort -n | tail -n 1)
    local completati
    completati=$(grep -c ',completata$' "$lavoro/giri.csv")
    [ $c -eq 0 ] && [ "$completati" -eq "$giri" ] && [ $tornate -eq 0 ] && [ "$tardi" -le "$presto" ]
    risultato $? "$descrizione: codice $c, $completati giri completati; descrittori aperti \
$presto presto, $tardi alla fine (min $(printf '%s\n' "${campioni[@]}" | sort -n | head -n 1), \
max $(printf '%s\n' "${campioni[@]}" | sort -n | tail -n 1), $k campioni); connessioni al \
server $prima prima, ${durante:-?} durante, $(connessioni) dopo"
}
descrittori "$giri giri in un processo, una connessione a giro"
descrittori "$giri giri in un processo, --connessione-unica" --connessione-unica

# ---- Twenty at once ----
pids=()
inizio=$(adesso_ms)
for i in $(seq 1 20); do
    timeout -k 2 60 "$cli" "${pg[@]}" --controllo \
        --sql "SELECT g FROM generate_series(1, $i) g, pg_sleep(0.5) s" >"$lavoro/insieme.$i" 2>&1 &
    pids+=($!)
done
sbagliati=0
for i in $(seq 1 20); do
    wait "${pids[$((i - 1))]}"
    c=$?
    if [ $c -ne 0 ] || ! grep -q "^ZELBRONTICA OK .*'righe'=$i;" "$lavoro/insieme.$i"; then
        sbagliati=$((sbagliati + 1))
        echo "        comando $i: codice $c: $(head -c 240 "$lavoro/insieme.$i")"
    fi
done
[ $sbagliati -eq 0 ]
risultato $? "20 comandi insieme (ognuno le sue righe, 1..20): $sbagliati sbagliati, \
$(($(adesso_ms) - inizio)) ms in tutto"

# ---- A silent server ----
python3 -c '
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(64)
print(s.getsockname()[1], flush=True)
tenute = []
while True:
    tenute.append(s.accept()[0])
' >"$lavoro/muto.porta" &
muto=$!
for _ in $(seq 1 100); do
    [ -s "$lavoro/muto.porta" ] && break
    sleep 0.1
done
cat >>"$lavoro/odbc.ini" <<EOF

[ZELAFF_MUTO]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$(cat "$lavoro/muto.porta")
Database=muto
SSLMode=disable
EOF
muto_dsn=("${comune[@]}" --odbc ZELAFF_MUTO --sql 'SELECT 1')
lancia 30 "${muto_dsn[@]}" --controllo --connection-timeout 3
verifica "server muto, --connection-timeout 3, --controllo" 2 "ZELBRONTICA CRITICAL" 2500 5000
lancia 30 "${muto_dsn[@]}" --connection-timeout 3
verifica "server muto, --connection-timeout 3" 3 "" 2500 5000
lancia 30 "${muto_dsn[@]}" --controllo --connection-timeout 60 --timeout 2
verifica "server muto, --timeout 2 mentre si collega, --controllo" 3 "ZELBRONTICA UNKNOWN" 1500 3500

# ---- Time-outs ----
lento=(--sql 'SELECT pg_sleep(30)')
lancia 30 "${pg[@]}" "${lento[@]}" --controllo --timeout 2
verifica "--timeout 2, --controllo" 3 "ZELBRONTICA UNKNOWN" 1500 3500
lancia 30 "${pg[@]}" "${lento[@]}" --controllo -t 2 --stato-timeout CRITICAL
verifica "-t 2 --stato-timeout CRITICAL, --controllo" 2 "ZELBRONTICA CRITICAL" 1500 3500
lancia 30 "${pg[@]}" "${lento[@]}" --timeout 2
verifica "--timeout 2" 5 "" 1500 3500
lancia 30 "${pg[@]}" "${lento[@]}" --controllo --command-timeout 2
verifica "--command-timeout 2 (il driver), --controllo" 2 "ZELBRONTICA CRITICAL" 1500 4000
lancia 30 "${pg[@]}" "${lento[@]}" --command-timeout 2
verifica "--command-timeout 2 (il driver)" 4 "" 1500 4000

# ---- A missing driver ----
lancia 30 "${comune[@]}" --odbc ZELAFF_SENZA_DRIVER --sql 'SELECT 1' --controllo
verifica "driver mancante, --controllo" 2 "ZELBRONTICA CRITICAL" 0 2000
lancia 30 "${comune[@]}" --odbc ZELAFF_SENZA_DRIVER --sql 'SELECT 1'
verifica "driver mancante" 3 "" 0 2000

# ---- The server stopped mid-read (last: it stays stopped) ----
# Rows read a hundred at a time, several seconds of them (pg_sleep lasts a
# millisecond or more however short it is asked); both commands
# are reading when the server stops, two seconds in.
lettura=("${comune[@]}" --odbc ZELAFF_PG_CURSORE
    --sql 'SELECT g, pg_sleep(0.0001) FROM generate_series(1, 5000) g')
inizio=$(adesso_ms)
timeout -k 2 60 "$cli" "${lettura[@]}" --controllo >"$lavoro/letto.controllo" 2>&1 &
pid_controllo=$!
timeout -k 2 60 "$cli" "${lettura[@]}" >"$lavoro/letto.testo" 2>"$lavoro/letto.errori" &
pid_testo=$!
sleep 2
_pg_come_proprietario "$ZEL_PG_BIN/pg_ctl" -D "$ZEL_PG_CARTELLA/dati" stop -m immediate >/dev/null
fermato=$(adesso_ms)
wait "$pid_controllo"
codice=$?
ms=$(($(adesso_ms) - fermato))
uscita=$(cat "$lavoro/letto.controllo")
verifica "server fermato durante la lettura, --controllo (ms dalla fermata)" 2 \
    "ZELBRONTICA CRITICAL" 0 3000
wait "$pid_testo"
codice=$?
ms=$(($(adesso_ms) - fermato))
uscita=$(cat "$lavoro/letto.testo")
cp "$lavoro/letto.errori" "$lavoro/stderr"
verifica "server fermato durante la lettura (ms dalla fermata)" 4 "" 0 3000

if [ $esito -eq 0 ]; then
    echo "Tutte le verifiche riuscite."
else
    echo "Alcune verifiche non sono riuscite."
fi
exit $esito
