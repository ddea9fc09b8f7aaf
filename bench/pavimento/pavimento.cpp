// The least a run of this design costs, as a program of its own that links
// nothing but the driver manager: what the benchmark itself links (Qt, the
// project's libraries and their static objects) would otherwise change how
// the C library lays out and hands back the heap between executions, and
// the floor's peak memory with it.
//
//   pavimento <connessione> <esecuzioni> [thread]
//
// executes `SELECT * FROM t`, fetches every row in blocks of 1024 with every
// column bound as text, and does it again `esecuzioni` times; with "thread",
// in a process that has started a second thread, as the window does (from
// then on the C library's malloc and mutexes take their locks for real).
// Prints "righe", "caratteri" and "troncati", a "key<TAB>value" line each.
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// The connection string and the statement are ASCII.
std::u16string Largo(std::string_view s) { return {s.begin(), s.end()}; }

SQLWCHAR* W(std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }

int Pavimento(std::u16string connessione, int esecuzioni) {
    std::u16string istruzione = Largo("SELECT * FROM t");
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc, nullptr, W(connessione),
                                         SQLSMALLINT(connessione.size()), nullptr, 0, nullptr,
                                         SQL_DRIVER_NOPROMPT))) {
        std::fprintf(stderr, "pavimento: connessione non riuscita\n");
        return 1;
    }
    constexpr SQLULEN Blocco = 1024;
    long long righe = 0;
    long long caratteri = 0;
    long long troncati = 0;
    for (int e = 0; e < esecuzioni; ++e) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        if (!SQL_SUCCEEDED(SQLExecDirectW(stmt, W(istruzione), SQLINTEGER(istruzione.size())))) {
            std::fprintf(stderr, "pavimento: esecuzione non riuscita\n");
            return 1;
        }
        SQLSMALLINT colonne = 0;
        SQLNumResultCols(stmt, &colonne);
        const auto n = std::size_t(colonne);
        std::vector<std::vector<SQLWCHAR>> dati(n);
        std::vector<std::vector<SQLLEN>> indicatori(n);
        std::vector<SQLLEN> capienza(n);
        SQLULEN ottenute = 0;
        SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(Blocco), 0);
        SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &ottenute, 0);
        for (std::size_t i = 0; i < n; ++i) {
            SQLSMALLINT tipo = 0, cifre = 0, nullabile = 0, lunghezza = 0;
            SQLULEN dimensione = 0;
            SQLWCHAR nome[256];
            const auto colonna = SQLUSMALLINT(i + 1);
            // With its name, as every reader asks it: the PostgreSQL driver
            // refuses to describe a column without somewhere to put it.
            if (!SQL_SUCCEEDED(SQLDescribeColW(stmt, colonna, nome, 256, &lunghezza, &tipo,
                                               &dimensione, &cifre, &nullabile))) {
                std::fprintf(stderr, "pavimento: colonna %zu non descritta\n", i + 1);
                return 1;
            }
            const SQLULEN larghezza = dimensione + 33;
            dati[i].resize(larghezza * Blocco);
            indicatori[i].resize(Blocco);
            capienza[i] = SQLLEN(larghezza * sizeof(SQLWCHAR));
            SQLBindCol(stmt, colonna, SQL_C_WCHAR, dati[i].data(), capienza[i],
                       indicatori[i].data());
        }
        while (SQL_SUCCEEDED(SQLFetch(stmt))) {
            righe += (long long)ottenute;
            for (std::size_t i = 0; i < n; ++i) {
                for (SQLULEN r = 0; r < ottenute; ++r) {
                    const SQLLEN byte = indicatori[i][r];
                    if (byte >= capienza[i]) {
                        ++troncati;
                    }
                    caratteri += byte > 0 ? std::min(byte, capienza[i]) / 2 : 0;
                }
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    std::printf("righe\t%lld.000\ncaratteri\t%lld.000\ntroncati\t%lld.000\n", righe, caratteri,
                troncati);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::string_view(argv[3]) != "thread")) {
        std::fprintf(stderr, "uso: pavimento <connessione> <esecuzioni> [thread]\n");
        return 2;
    }
    if (argc == 4) {
        std::thread([] {}).join();
    }
    return Pavimento(Largo(argv[1]), std::atoi(argv[2]));
}
