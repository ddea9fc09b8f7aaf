#include "toolkit/lingua.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

bool TraduciQt(QCoreApplication& app, const QString& cartella) {
    const QString dove =
        cartella.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : cartella;
    auto traduzione = std::make_unique<QTranslator>();
    if (!traduzione->load(QStringLiteral("qtbase_it.qm"), dove) ||
        !QCoreApplication::installTranslator(traduzione.get())) {
        return false;
    }
    traduzione.release()->setParent(&app); // lives as long as the application
    return true;
}
