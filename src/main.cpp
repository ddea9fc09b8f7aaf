#include "toolkit/lingua.h"
#include "odbc/memoria.h"
#include "startup/inizio.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const auto esito = Inizio::RigaDiComando(argc, argv)) {
        return *esito;
    }
    memoria::PreparaHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(ZEL_PRODUCT));
    QApplication::setApplicationVersion(QStringLiteral(ZEL_VERSION_TEXT));
    QApplication::setOrganizationDomain(QStringLiteral("zelbrontica.example"));
    // The installed menu entry (dist/), which desktops match the window to.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.zelbrontica.zelbrontica"));
    app.setProperty("lingua", QStringLiteral(ZEL_LANGUAGE));
    TraduciQt(app); // before any window; without the file Qt's texts stay English
    Inizio::Main();
    const int esito = QApplication::exec();
    Inizio::Fine();
    return esito;
}
