// Loaded with LD_PRELOAD into a reader the benchmark runs: every call that
// executes a statement through the ODBC driver manager (SQLExecDirect,
// SQLExecDirectW, SQLExecute) appends one byte to the file named by
// ZEL_CONTA_ESECUZIONI before going on, so the file's size is the number of
// executions, whoever made them and however the process ends.
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

namespace {

void Conta() {
    const char* file = std::getenv("ZEL_CONTA_ESECUZIONI");
    if (file == nullptr || *file == '\0') {
        return;
    }
    const int fd = open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t scritti = write(fd, "x", 1);
        close(fd);
    }
}

// The driver manager's own function of that name. Looked up in the driver
// manager itself: a reader may have loaded it out of the global scope (a
// Python module does), where RTLD_NEXT would not find it.
template <typename F> F Originale(const char* nome) {
    void* odbc = dlopen("libodbc.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (odbc == nullptr) {
        odbc = dlopen("libodbc.so.2", RTLD_LAZY);
    }
    void* f = odbc != nullptr ? dlsym(odbc, nome) : nullptr;
    if (f == nullptr) {
        std::abort();
    }
    return reinterpret_cast<F>(f);
}

} // namespace

extern "C" {

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT stmt, SQLWCHAR* testo, SQLINTEGER lunghezza) {
    static const auto f =
        Originale<SQLRETURN (*)(SQLHSTMT, SQLWCHAR*, SQLINTEGER)>("SQLExecDirectW");
    Conta();
    return f(stmt, testo, lunghezza);
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT stmt, SQLCHAR* testo, SQLINTEGER lunghezza) {
    static const auto f = Originale<SQLRETURN (*)(SQLHSTMT, SQLCHAR*, SQLINTEGER)>("SQLExecDirect");
    Conta();
    return f(stmt, testo, lunghezza);
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT stmt) {
    static const auto f = Originale<SQLRETURN (*)(SQLHSTMT)>("SQLExecute");
    Conta();
    return f(stmt);
}

} // extern "C"
