#pragma once
// Qt's own texts (context menus of the text boxes, standard buttons and
// dialogs) in Italian, whatever the user's locale; the program's own texts
// are Italian already and are left alone.
#include <QString>

class QCoreApplication;

// Installs Qt's Italian translation from `cartella` (by default where Qt
// keeps its translations). Returns false, changing nothing, when the file
// is missing or unreadable: Qt's texts then stay English.
bool TraduciQt(QCoreApplication& app, const QString& cartella = {});
