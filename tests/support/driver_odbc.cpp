#include "support/driver_odbc.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>
#include <sql.h>

namespace zeltest {

QString DriverOdbc(const QString& nome) {
    QStringList cartelle;
    // The driver manager this process loaded: its folder holds "odbc/".
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&SQLAllocHandle), &info) != 0 && info.dli_fname) {
        cartelle << QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalPath() + "/odbc";
    }
    for (const QString& sotto : QDir("/usr/lib").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        cartelle << "/usr/lib/" + sotto + "/odbc";
    }
    cartelle << "/usr/lib/odbc"
             << "/usr/lib64/odbc";
    for (const QString& cartella : cartelle) {
        const QString percorso = cartella + u'/' + nome;
        if (QFileInfo::exists(percorso)) {
            return percorso;
        }
    }
    return {};
}

} // namespace zeltest
