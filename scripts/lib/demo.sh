# shellcheck shell=bash
# The demo data source ZELDEMO: a small SQLite database of customers and
# orders, reached through the SQLite3 ODBC driver, so that the window has
# something to talk to on a machine with no database server.
#
#   source scripts/lib/demo.sh
#   demo_prepara build     # build = the folder holding the executable
#
# demo_prepara
#   - builds ${XDG_DATA_HOME:-~/.local/share}/zelbrontica/demo.db from
#     scripts/demo.sql, when missing or made from another version of that file;
#   - adds a [ZELDEMO] section to the user's own odbc.ini when it has none,
#     and touches nothing else in that file. That file is $ODBCINI if set,
#     else the one unixODBC reads (~/.odbc.ini of the account: unixODBC takes
#     the home folder from the password database, not from $HOME, so a
#     throw-away HOME needs ODBCINI too);
#   - writes <build>/zelbrontica.INI with the demo's inputs, only when that
#     file does not exist yet (it holds the password: owner-only, 0600).
# It prints one line saying what it did.

DEMO_DSN=ZELDEMO
_DEMO_SQL="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/demo.sql"

# The statement the settings file proposes: one line, at most 254 characters
# (what the window reads back of one key).
DEMO_STATEMENT="SELECT O.NUMERO, O.DATA_ORDINE, O.CLIENTE, C.RAGIONE_SOCIALE, C.PROVINCIA, O.QUANTITA, O.IMPORTO, O.NOTE FROM ORDINI O JOIN CLIENTI C ON C.CODICE = O.CLIENTE WHERE O.DATA_ORDINE >= '2024-07-01' ORDER BY O.DATA_ORDINE DESC, O.NUMERO DESC"

# The database's version: a checksum of demo.sql, kept in PRAGMA user_version
# (a positive 31-bit number; 0 is what a database nobody stamped says).
_demo_versione() {
    local crc
    crc=$(cksum <"$_DEMO_SQL") || return 1
    echo $(( ${crc%% *} % 2147483646 + 1 ))
}

# The user data source file unixODBC reads.
_demo_odbc_ini() {
    if [ -n "${ODBCINI:-}" ]; then
        echo "$ODBCINI"
        return 0
    fi
    local file
    file=$(odbcinst -j 2>/dev/null | sed -n 's/^USER DATA SOURCES[. ]*:[[:space:]]*//p')
    echo "${file:-$HOME/.odbc.ini}"
}

# Full path of the SQLite3 ODBC driver.
_demo_driver() {
    local nome cand
    nome=$(odbcinst -q -d -n SQLite3 2>/dev/null | sed -n 's/^[[:space:]]*Driver[[:space:]]*=[[:space:]]*//p' | head -n 1)
    nome=${nome:-libsqlite3odbc.so}
    if [[ $nome == /* ]] && [ -f "$nome" ]; then
        echo "$nome"
        return 0
    fi
    # Debian's folder for the native architecture first, then any other.
    for cand in $(dpkg -L libsqliteodbc 2>/dev/null | grep "/${nome##*/}\$") \
        /usr/lib/*/odbc/"$nome"; do
        if [ -f "$cand" ]; then
            echo "$cand"
            return 0
        fi
    done
    echo "demo: driver ODBC SQLite3 non trovato (manca il pacchetto libsqliteodbc?)" >&2
    return 1
}

# Builds the database into a new file beside it, then puts it in place.
_demo_crea_database() {
    local db=$1 versione=$2 nuovo
    nuovo="$db.nuovo.$$"
    rm -f "$nuovo"
    if ! { cat "$_DEMO_SQL"; echo "PRAGMA user_version = $versione;"; } |
        sqlite3 -bail "$nuovo" >/dev/null; then
        rm -f "$nuovo"
        echo "demo: creazione del database $db non riuscita" >&2
        return 1
    fi
    # A journal left by the old file must not be replayed into the new one.
    rm -f "$db-journal" "$db-wal" "$db-shm"
    mv -f "$nuovo" "$db"
}

# Appends the [ZELDEMO] section, unless the file already has one.
_demo_registra_dsn() {
    local odbcini=$1 db=$2 driver
    if [ -f "$odbcini" ] &&
        grep -qiE "^[[:space:]]*\[[[:space:]]*${DEMO_DSN}[[:space:]]*\][[:space:]]*\$" "$odbcini"; then
        # Someone's own section: left as it is, but say so when it points
        # to another database.
        local sua
        sua=$(awk -v dsn="$DEMO_DSN" '
            /^[[:space:]]*\[/ { s = $0; gsub(/[][[:space:]]/, "", s); dentro = (toupper(s) == dsn); next }
            dentro && tolower($0) ~ /^[[:space:]]*database[[:space:]]*=/ {
                sub(/^[^=]*=[[:space:]]*/, ""); sub(/[[:space:]\r]*$/, ""); print; exit }' "$odbcini")
        if [ "$sua" != "$db" ]; then
            echo "demo: la sezione [$DEMO_DSN] di $odbcini usa il database «$sua», non $db: la lascio com'è" >&2
        fi
        return 1
    fi
    driver=$(_demo_driver) || return 2
    mkdir -p "$(dirname "$odbcini")"
    # Close a last line left without its line end, and keep a blank line
    # between sections.
    local prima=
    if [ -s "$odbcini" ]; then
        [ -n "$(tail -c 1 "$odbcini")" ] && prima=$'\n'
        prima+=$'\n'
    fi
    # NoCreat: a missing database file is an error, not a new empty database.
    (
        umask 077
        printf '%s[%s]\nDescription=Zelbrontica: dati dimostrativi (clienti e ordini)\nDriver=%s\nDatabase=%s\nNoCreat=1\n' \
            "$prima" "$DEMO_DSN" "$driver" "$db" >>"$odbcini"
    ) || return 2
    return 0
}

# Writes the settings file the window reads at start-up: Windows-style INI,
# CRLF line ends, Windows-1252 ("à" is the single byte E0).
_demo_scrivi_ini() {
    local ini=$1
    (
        umask 077
        {
            printf '[Parametri]\r\n'
            printf 'ODBC=%s\r\n' "$DEMO_DSN"
            printf 'Sistema=\r\n'
            printf 'Statement=%s\r\n' "$DEMO_STATEMENT"
            printf 'Utente=DEMO\r\n'
            printf 'Password=DEMO\r\n'
            printf 'Modalit\xe0=ODBC\r\n'
            printf 'ConnectionTimeout=15\r\n'
            printf 'CommandTimeout=30\r\n'
        } >"$ini"
    ) && chmod 600 "$ini"
}

demo_prepara() {
    local build=${1:?uso: demo_prepara CARTELLA_DEL_PROGRAMMA}
    local cartella=${XDG_DATA_HOME:-$HOME/.local/share}/zelbrontica
    local db=$cartella/demo.db
    local odbcini
    local ini=$build/zelbrontica.INI
    local versione attuale=
    local fatto=()

    versione=$(_demo_versione) || return 1
    odbcini=$(_demo_odbc_ini)
    mkdir -p "$cartella"
    if [ -f "$db" ]; then
        attuale=$(sqlite3 -readonly "$db" 'PRAGMA user_version;' 2>/dev/null) || attuale=
    fi
    if [ "$attuale" != "$versione" ]; then
        _demo_crea_database "$db" "$versione" || return 1
        if [ -n "$attuale" ]; then fatto+=("database ricreato"); else fatto+=("database creato"); fi
    fi

    local esito=0
    _demo_registra_dsn "$odbcini" "$db" || esito=$?
    case $esito in
        0) fatto+=("DSN aggiunto a $odbcini") ;;
        1) ;;
        *) return 1 ;;
    esac

    if [ ! -e "$ini" ]; then
        mkdir -p "$build"
        _demo_scrivi_ini "$ini" || { echo "demo: impossibile scrivere $ini" >&2; return 1; }
        fatto+=("impostazioni scritte in $ini")
    fi

    if [ ${#fatto[@]} -eq 0 ]; then
        echo "Demo: sorgente ODBC $DEMO_DSN già pronta ($db)."
    else
        local elenco
        elenco=$(printf '%s, ' "${fatto[@]}")
        echo "Demo: sorgente ODBC $DEMO_DSN pronta ($db): ${elenco%, }."
    fi
}
