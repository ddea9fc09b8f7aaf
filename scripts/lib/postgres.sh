# shellcheck shell=bash
# A throw-away PostgreSQL cluster for the tests and the benchmark.
#
#   source scripts/lib/postgres.sh
#   pg_avvia      # starts it, exports ZEL_PG_HOST ZEL_PG_PORT ZEL_PG_DB ZEL_PG_USER ZEL_PG_PASSWORD
#   ...
#   pg_ferma      # stops the server it started and removes its folder
#
# Tests that stop and restart the server mid-run find the cluster in
# $ZEL_PG_CARTELLA/dati and pg_ctl in $ZEL_PG_BIN (both exported); pg_ctl
# restart brings it back with the same options. pg_ferma stops whichever
# postmaster the cluster's pid file names at the end.
#
# The server listens on 127.0.0.1 only, on a free port, and asks a password
# (scram) on TCP connections. Role zeltest (password zelpass, may create
# roles) owns database zeltest. As root, the cluster runs as user postgres.

# The server's programs (initdb, pg_ctl, psql): $ZEL_PG_BIN when set, else
# the folder pg_config names when it holds initdb, else the newest release
# under /usr/lib/postgresql (package postgresql: 15 on Debian 12, 17 on
# Debian 13).
_pg_cartella_programmi() {
    local cartella
    if command -v pg_config >/dev/null; then
        cartella=$(pg_config --bindir 2>/dev/null || true)
        if [ -x "$cartella/initdb" ]; then
            echo "$cartella"
            return 0
        fi
    fi
    for cartella in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
        if [ -x "$cartella/initdb" ]; then
            echo "$cartella"
            return 0
        fi
    done
    echo "pg_avvia: server PostgreSQL non trovato (manca il pacchetto postgresql?)" >&2
    return 1
}
ZEL_PG_BIN=${ZEL_PG_BIN:-$(_pg_cartella_programmi 2>/dev/null || true)}

# Runs a command as the cluster's owner.
_pg_come_proprietario() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

# A TCP port nobody listens on now.
_pg_porta_libera() {
    local porta
    for _ in $(seq 1 50); do
        porta=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$porta") 2>/dev/null; then
            echo "$porta"
            return 0
        fi
    done
    return 1
}

pg_avvia() {
    if [ -n "${ZEL_PG_CARTELLA:-}" ]; then
        echo "pg_avvia: il server è già avviato in $ZEL_PG_CARTELLA" >&2
        return 1
    fi
    local cartella porta
    [ -n "$ZEL_PG_BIN" ] || ZEL_PG_BIN=$(_pg_cartella_programmi) || return 1
    cartella=$(mktemp -d "${TMPDIR:-/tmp}/zelpg.XXXXXX") || return 1
    [ "$(id -u)" -eq 0 ] && chown postgres: "$cartella"
    if ! _pg_come_proprietario "$ZEL_PG_BIN/initdb" -D "$cartella/dati" -U postgres \
        --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 \
        >"$cartella/initdb.log" 2>&1; then
        echo "pg_avvia: initdb non riuscito:" >&2
        cat "$cartella/initdb.log" >&2
        rm -rf "$cartella"
        return 1
    fi
    porta=$(_pg_porta_libera) || { rm -rf "$cartella"; return 1; }
    if ! _pg_come_proprietario "$ZEL_PG_BIN/pg_ctl" -D "$cartella/dati" -l "$cartella/server.log" \
        -o "-c listen_addresses=127.0.0.1 -p $porta -k $cartella -c fsync=off" -w -t 60 start \
        >/dev/null; then
        echo "pg_avvia: il server non parte:" >&2
        cat "$cartella/server.log" >&2
        rm -rf "$cartella"
        return 1
    fi
    ZEL_PG_PID=$(head -n 1 "$cartella/dati/postmaster.pid")
    ZEL_PG_CARTELLA=$cartella
    if ! _pg_come_proprietario "$ZEL_PG_BIN/psql" -q -v ON_ERROR_STOP=1 -h "$cartella" \
        -p "$porta" -U postgres -d postgres >/dev/null <<'SQL'
CREATE ROLE zeltest LOGIN CREATEROLE PASSWORD 'zelpass';
CREATE DATABASE zeltest OWNER zeltest;
SQL
    then
        echo "pg_avvia: impossibile creare utente e database di prova" >&2
        pg_ferma
        return 1
    fi
    export ZEL_PG_HOST=127.0.0.1 ZEL_PG_PORT=$porta ZEL_PG_DB=zeltest ZEL_PG_USER=zeltest \
        ZEL_PG_PASSWORD=zelpass ZEL_PG_CARTELLA ZEL_PG_BIN
}

pg_ferma() {
    if [ -z "${ZEL_PG_CARTELLA:-}" ]; then
        return 0
    fi
    # A test may have restarted the server: its postmaster has a new pid.
    if [ -f "$ZEL_PG_CARTELLA/dati/postmaster.pid" ]; then
        ZEL_PG_PID=$(head -n 1 "$ZEL_PG_CARTELLA/dati/postmaster.pid")
    fi
    if [ -n "${ZEL_PG_PID:-}" ] && kill -0 "$ZEL_PG_PID" 2>/dev/null; then
        kill -INT "$ZEL_PG_PID" # fast shutdown
        for _ in $(seq 1 300); do
            kill -0 "$ZEL_PG_PID" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -rf "$ZEL_PG_CARTELLA"
    unset ZEL_PG_CARTELLA ZEL_PG_PID ZEL_PG_HOST ZEL_PG_PORT ZEL_PG_DB ZEL_PG_USER ZEL_PG_PASSWORD
}
