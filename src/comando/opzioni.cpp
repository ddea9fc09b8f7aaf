#include "comando/opzioni.h"

#include "run/modi_connessione.h"
#include "run/taglia.h"
#include "settings/impostazioni.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

const QStringList Fasi{QStringLiteral("connessione"), QStringLiteral("istruzione"),
                       QStringLiteral("conteggio"),   QStringLiteral("caricamento"),
                       QStringLiteral("totale"),      QStringLiteral("righe")};

QString FileImpostazioniPredefinito() {
    // The file the installed window, beside this program, would use. The
    // command makes no application object (see main), so its folder comes
    // from the kernel.
    const QString programma = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return Inizio::ScegliFileINI(QFileInfo(programma).absolutePath(), QStringLiteral("zelbrontica"),
                                 false)
        .percorso;
}

QString AvvisoLeggibile(const QString& file) {
    const QFileInfo info(file);
    const auto altri = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (info.exists() && (info.permissions() & altri))
        return QStringLiteral("Attenzione: il file %1, che dà la password, è leggibile da altri "
                              "utenti (chmod 600 %1)")
            .arg(file);
    return {};
}

// The password typed on the terminal, without echo.
QString ChiediPassword() {
    std::fputs("Password: ", stderr);
    termios prima{};
    const bool terminale = tcgetattr(STDIN_FILENO, &prima) == 0;
    if (terminale) {
        termios senzaEco = prima;
        senzaEco.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &senzaEco);
    }
    QTextStream in(stdin);
    const QString riga = in.readLine();
    if (terminale)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &prima);
    std::fputs("\n", stderr);
    return riga;
}

Lettura Uso(const QString& messaggio, bool controllo) {
    Lettura l;
    l.codice = 2;
    l.errore = messaggio;
    l.controllo = controllo;
    return l;
}

// The parser's error in Italian, naming the option.
QString ErroreAnalisi(const QCommandLineParser& p) {
    const auto trattini = [](const QString& nome) {
        return (nome.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + nome;
    };
    if (!p.unknownOptionNames().isEmpty())
        return QStringLiteral("opzione sconosciuta: ") + trattini(p.unknownOptionNames().first());
    // "Missing value after '--ripeti'.", "Unexpected value after '--controllo'."
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("'([^']*)'")).match(p.errorText());
    const QString opzione = m.hasMatch() ? m.captured(1) : p.errorText();
    if (p.errorText().startsWith(QStringLiteral("Missing")))
        return QStringLiteral("manca il valore dell'opzione ") + opzione;
    return QStringLiteral("valore non previsto per l'opzione ") + opzione;
}

std::optional<int> Intero(const QString& testo, int minimo) {
    bool ok = false;
    const int n = testo.toInt(&ok);
    return ok && n >= minimo ? std::optional<int>(n) : std::nullopt;
}

} // namespace

QString ConnessioneVisibile(const RichiestaCorsa& r) {
    IngressiConnessione i = r.connessione;
    i.password = QStringLiteral("***");
    return CostruisciConnessione(r.modo, i);
}

Lettura LeggiOpzioni(const QStringList& argomenti) {
    QCommandLineParser p;
    const auto valore = [&](const QString& nome, const QString& descr, const QString& v) {
        p.addOption(QCommandLineOption(nome, descr, v));
    };
    const auto interruttore = [&](const QStringList& nomi, const QString& descr) {
        p.addOption(QCommandLineOption(nomi, descr));
    };
    valore(QStringLiteral("modo"), QStringLiteral("Modalità di connessione (ODBC o OLEDB)"),
           QStringLiteral("MODO"));
    valore(QStringLiteral("odbc"), QStringLiteral("Sorgente dati ODBC"), QStringLiteral("NOME"));
    valore(QStringLiteral("sistema"), QStringLiteral("Sistema (OLEDB)"), QStringLiteral("NOME"));
    valore(QStringLiteral("utente"), QStringLiteral("Utente"), QStringLiteral("NOME"));
    valore(QStringLiteral("connection-timeout"), QStringLiteral("Tempo massimo di connessione"),
           QStringLiteral("S"));
    valore(QStringLiteral("command-timeout"), QStringLiteral("Tempo massimo di esecuzione"),
           QStringLiteral("S"));
    valore(QStringLiteral("sql"), QStringLiteral("L'istruzione SQL"), QStringLiteral("TESTO"));
    valore(QStringLiteral("file-sql"), QStringLiteral("L'istruzione da un file (- lo stdin)"),
           QStringLiteral("FILE"));
    valore(QStringLiteral("nome"), QStringLiteral("Nome dell'istruzione nelle uscite"),
           QStringLiteral("NOME"));
    valore(QStringLiteral("impostazioni"), QStringLiteral("File delle impostazioni"),
           QStringLiteral("FILE"));
    interruttore({QStringLiteral("senza-impostazioni")},
                 QStringLiteral("Non legge il file delle impostazioni"));
    valore(QStringLiteral("file-password"), QStringLiteral("Password dalla prima riga del file"),
           QStringLiteral("FILE"));
    interruttore({QStringLiteral("solo-conteggio")},
                 QStringLiteral("Conta le righe senza caricarle (una esecuzione)"));
    valore(QStringLiteral("ripeti"),
           QStringLiteral("Giri misurati (1); con --controllo le soglie giudicano la mediana di "
                          "ogni fase"),
           QStringLiteral("N"));
    valore(QStringLiteral("riscaldamento"), QStringLiteral("Giri non misurati prima (0)"),
           QStringLiteral("K"));
    interruttore({QStringLiteral("connessione-unica")},
                 QStringLiteral("Una connessione per tutti i giri"));
    valore(QStringLiteral("formato"), QStringLiteral("testo, csv o json"),
           QStringLiteral("FORMATO"));
    valore(QStringLiteral("righe"), QStringLiteral("Scrive le righe: csv o tsv"),
           QStringLiteral("FORMATO"));
    valore(QStringLiteral("file-righe"), QStringLiteral("File delle righe"),
           QStringLiteral("FILE"));
    interruttore({QStringLiteral("controllo")}, QStringLiteral("Plugin di monitoraggio"));
    for (const QString& f : Fasi) {
        valore(QStringLiteral("avviso-") + f, QStringLiteral("Intervallo di avviso: ") + f,
               QStringLiteral("INTERVALLO"));
        valore(QStringLiteral("critico-") + f, QStringLiteral("Intervallo critico: ") + f,
               QStringLiteral("INTERVALLO"));
    }
    valore(QStringLiteral("w"), QStringLiteral("Come --avviso-totale"),
           QStringLiteral("INTERVALLO"));
    valore(QStringLiteral("c"), QStringLiteral("Come --critico-totale"),
           QStringLiteral("INTERVALLO"));
    p.addOption(QCommandLineOption({QStringLiteral("t"), QStringLiteral("timeout")},
                                   QStringLiteral("Tempo massimo di tutto il comando"),
                                   QStringLiteral("S")));
    valore(QStringLiteral("stato-timeout"), QStringLiteral("OK, WARNING, CRITICAL o UNKNOWN"),
           QStringLiteral("STATO"));
    interruttore({QStringLiteral("h"), QStringLiteral("help")},
                 QStringLiteral("Mostra questa guida"));
    interruttore({QStringLiteral("v"), QStringLiteral("version")},
                 QStringLiteral("Mostra la versione"));

    const bool controllo = argomenti.contains(QStringLiteral("--controllo"));
    if (!p.parse(argomenti))
        return Uso(ErroreAnalisi(p), controllo);
    if (p.isSet(QStringLiteral("help"))) {
        // The help text names the program from an application object: one is
        // made for it alone.
        static int argc = 1;
        static char nome[] = "zelbrontica-cli";
        static char* argv[] = {nome, nullptr};
        const QCoreApplication app(argc, argv);
        p.setApplicationDescription(
            QStringLiteral(
                "Cronometra un'istruzione SQL su una sorgente dati ODBC, senza finestra.\n\n"
                "La password non si passa come argomento: la riga di comando è visibile a ogni "
                "utente del sistema e resta nella cronologia della shell. Viene presa da "
                "--file-password, dalla variabile ZELBRONTICA_PASSWORD, dal file delle "
                "impostazioni o chiesta sul terminale.\n\nFile delle impostazioni: ") +
            FileImpostazioniPredefinito());
        Lettura l;
        l.uscita = p.helpText()
                       .replace(QStringLiteral("Usage:"), QStringLiteral("Uso:"))
                       .replace(QStringLiteral("Options:"), QStringLiteral("Opzioni:"))
                       .replace(QStringLiteral("[options]"), QStringLiteral("[opzioni]"));
        return l;
    }
    if (p.isSet(QStringLiteral("version"))) {
        Lettura l;
        l.uscita = QStringLiteral("zelbrontica-cli " ZEL_VERSION_TEXT "\n");
        return l;
    }
    if (!p.positionalArguments().isEmpty())
        return Uso(QStringLiteral("Argomento non previsto: ") + p.positionalArguments().first(),
                   controllo);

    Opzioni o;
    o.controllo = controllo;
    // Defaults from the settings file, as the window reads them.
    QString ini;
    if (!p.isSet(QStringLiteral("senza-impostazioni")))
        ini = p.isSet(QStringLiteral("impostazioni")) ? p.value(QStringLiteral("impostazioni"))
                                                      : FileImpostazioniPredefinito();
    const auto daFile = [&](const char* chiave, const QString& predefinito) {
        return ini.isEmpty() ? predefinito
                             : Inizio::LeggiINI(ini, QStringLiteral("Parametri"),
                                                QString::fromUtf8(chiave), predefinito);
    };
    const auto preso = [&](const char* opzione, const char* chiave, const QString& pred) {
        const QString nome = QString::fromUtf8(opzione);
        return Taglia(p.isSet(nome) ? p.value(nome) : daFile(chiave, pred));
    };
    RichiestaCorsa& r = o.richiesta;
    r.modo = preso("modo", "Modalità", ModiConnessione().front().nome);
    r.connessione.odbc = preso("odbc", "ODBC", {});
    r.connessione.sistema = preso("sistema", "Sistema", {});
    r.connessione.utente = preso("utente", "Utente", {});
    r.connectionTimeout = preso("connection-timeout", "ConnectionTimeout", QStringLiteral("15"));
    r.commandTimeout = preso("command-timeout", "CommandTimeout", QStringLiteral("30"));
    if (p.isSet(QStringLiteral("file-sql"))) {
        const QString nome = p.value(QStringLiteral("file-sql"));
        QFile f(nome);
        const bool aperto = nome == QStringLiteral("-") ? f.open(stdin, QIODevice::ReadOnly)
                                                        : f.open(QIODevice::ReadOnly);
        if (!aperto) {
            Lettura l;
            l.codice = 1;
            l.errore = QStringLiteral("Impossibile leggere il file dell'istruzione ") + nome;
            l.controllo = controllo;
            return l;
        }
        r.sql = Taglia(QString::fromUtf8(f.readAll()));
    } else {
        r.sql = preso("sql", "Statement", {});
    }
    if (!TrovaModo(r.modo))
        return Uso(QStringLiteral("--modo: modalità sconosciuta: ") + r.modo, controllo);

    // The password, first source that has one.
    QString fonte;
    if (p.isSet(QStringLiteral("file-password"))) {
        fonte = p.value(QStringLiteral("file-password"));
        QFile f(fonte);
        if (!f.open(QIODevice::ReadOnly)) {
            Lettura l;
            l.codice = 1;
            l.errore = QStringLiteral("Impossibile leggere il file della password ") + fonte;
            l.controllo = controllo;
            return l;
        }
        r.connessione.password = QString::fromUtf8(f.readLine()).remove(u'\n').remove(u'\r');
    } else if (qEnvironmentVariableIsSet("ZELBRONTICA_PASSWORD")) {
        r.connessione.password = qEnvironmentVariable("ZELBRONTICA_PASSWORD");
    } else if (!ini.isEmpty() && !daFile("Password", {}).isEmpty()) {
        r.connessione.password = Taglia(daFile("Password", {}));
        fonte = ini;
    } else if (isatty(STDIN_FILENO) && !p.isSet(QStringLiteral("file-sql"))) {
        r.connessione.password = ChiediPassword();
    }
    if (!fonte.isEmpty()) {
        const QString avviso = AvvisoLeggibile(fonte);
        if (!avviso.isEmpty())
            o.avvisiStderr << avviso;
    }

    // The window's request check: its lines, all at once.
    QStringList mancanti;
    const ModoConnessione* modo = TrovaModo(r.modo);
    const QString& proprio =
        modo->richiesto == IngressoRichiesto::Odbc ? r.connessione.odbc : r.connessione.sistema;
    if (proprio.isEmpty())
        mancanti << modo->rigaMancante;
    if (r.sql.isEmpty())
        mancanti << QStringLiteral("Statement SQL obbligatorio");
    if (r.connessione.utente.isEmpty())
        mancanti << QStringLiteral("Utente obbligatorio");
    if (Taglia(r.connessione.password).isEmpty())
        mancanti << QStringLiteral("Password obbligatoria");
    if (!mancanti.isEmpty())
        return Uso(mancanti.join(u'\n'), controllo);

    o.nome = p.isSet(QStringLiteral("nome")) ? p.value(QStringLiteral("nome")) : r.sql;
    o.soloConteggio = p.isSet(QStringLiteral("solo-conteggio"));
    o.connessioneUnica = p.isSet(QStringLiteral("connessione-unica"));
    r.tieniConnessione = o.connessioneUnica;
    if (p.isSet(QStringLiteral("ripeti"))) {
        const auto n = Intero(p.value(QStringLiteral("ripeti")), 1);
        if (!n)
            return Uso(QStringLiteral("--ripeti: serve un numero intero da 1 in su"), controllo);
        o.ripeti = *n;
    }
    if (p.isSet(QStringLiteral("riscaldamento"))) {
        const auto n = Intero(p.value(QStringLiteral("riscaldamento")), 0);
        if (!n)
            return Uso(QStringLiteral("--riscaldamento: serve un numero intero da 0 in su"),
                       controllo);
        o.riscaldamento = *n;
    }
    if (p.isSet(QStringLiteral("formato"))) {
        const QString f = p.value(QStringLiteral("formato"));
        if (f == QStringLiteral("testo"))
            o.formato = FormatoUscita::Testo;
        else if (f == QStringLiteral("csv"))
            o.formato = FormatoUscita::Csv;
        else if (f == QStringLiteral("json"))
            o.formato = FormatoUscita::Json;
        else
            return Uso(QStringLiteral("--formato: valore non valido: ") + f +
                           QStringLiteral(" (testo, csv o json)"),
                       controllo);
    }
    if (p.isSet(QStringLiteral("righe"))) {
        const QString f = p.value(QStringLiteral("righe"));
        if (f == QStringLiteral("csv"))
            o.righe = delimitato::Formato::Csv;
        else if (f == QStringLiteral("tsv"))
            o.righe = delimitato::Formato::Tsv;
        else
            return Uso(QStringLiteral("--righe: valore non valido: ") + f +
                           QStringLiteral(" (csv o tsv)"),
                       controllo);
        if (o.soloConteggio)
            return Uso(QStringLiteral("--righe: le righe non vengono lette con --solo-conteggio"),
                       controllo);
    }
    o.fileRighe = p.value(QStringLiteral("file-righe"));
    if (o.righe && o.fileRighe.isEmpty() && (o.formato != FormatoUscita::Testo || controllo))
        return Uso(QStringLiteral("--righe senza --file-righe scrive le righe sullo standard "
                                  "output: --formato csv o json e --controllo vogliono "
                                  "--file-righe"),
                   controllo);
    if (p.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        const double s = p.value(QStringLiteral("timeout")).toDouble(&ok);
        if (!ok || s <= 0)
            return Uso(QStringLiteral("--timeout: serve un numero di secondi maggiore di 0"),
                       controllo);
        o.timeout = s;
    }
    if (p.isSet(QStringLiteral("stato-timeout"))) {
        const auto s = soglie::LeggiStato(p.value(QStringLiteral("stato-timeout")));
        if (!s)
            return Uso(QStringLiteral("--stato-timeout: valore non valido (OK, WARNING, "
                                      "CRITICAL o UNKNOWN)"),
                       controllo);
        o.statoTimeout = *s;
    }
    for (const QString& f : Fasi) {
        for (const bool critico : {false, true}) {
            QString nome = (critico ? QStringLiteral("critico-") : QStringLiteral("avviso-")) + f;
            QString testo = p.value(nome);
            if (f == QStringLiteral("totale") && p.isSet(critico ? "c" : "w")) {
                testo = p.value(critico ? "c" : "w");
                nome = critico ? QStringLiteral("c") : QStringLiteral("w");
            }
            if (testo.isEmpty())
                continue;
            QString errore;
            const auto i = soglie::LeggiIntervallo(testo, errore);
            if (!i)
                return Uso((nome.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + nome +
                               QStringLiteral(": ") + errore,
                           controllo);
            (critico ? o.critici : o.avvisi).insert(f, *i);
        }
    }
    Lettura l;
    l.opzioni = std::move(o);
    return l;
}
