// Copy and save: the lists' context menus, what reaches the clipboard, and
// the CSV file read back by a second program, on both real drivers.
#include "support/corsa_prova.h"
#include "support/due_driver.h"
#include "support/file_prova.h"
#include "support/odbc_privato.h"
#include "support/piccolo_disco.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

zeltest::DueDriver dueDriver;
const QString Lungo = QString(70000, u'x') + u'è';
const QString Sql = QStringLiteral("SELECT id, testo AS \"testo, lungo\" FROM copia ORDER BY id");
// The rows of `copia`, NULL as a null string.
const QStringList Testi = {QString(),
                           u""_qs,
                           u"a,b"_qs,
                           u"tab\tqui"_qs,
                           u"vir\"golette"_qs,
                           u"riga1\nriga2"_qs,
                           u"ritorno\r\nfine"_qs,
                           Lungo,
                           u"àèì €"_qs};

void InserisciPer(Guida& g, const QString& drv, const QString& sql) {
    drv == u"sqlite" ? Inserisci(g, QStringLiteral("ZELTEST_SQLITE"), sql) : InserisciPg(g, sql);
}

// The menu of a list, opened as `come` says: "f10", "menu" or "mouse".
QMenu* ApriMenu(ListBox& l, const QString& come = QStringLiteral("f10")) {
    QTableView* v = l.vista();
    if (come == u"mouse") {
        const QPoint p = v->viewport()->rect().center();
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, v->viewport()->mapToGlobal(p));
        QCoreApplication::sendEvent(v->viewport(), &e);
    } else {
        QTest::keyClick(v, come == u"menu" ? Qt::Key_Menu : Qt::Key_F10,
                        come == u"menu" ? Qt::NoModifier : Qt::ShiftModifier);
    }
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// "1" for each enabled entry, "0" for each disabled one; the menu closed.
QString Attive(ListBox& l) {
    QMenu* m = ApriMenu(l);
    QString s;
    for (QAction* a : m ? m->actions() : QList<QAction*>()) {
        s += a->isEnabled() ? u'1' : u'0';
    }
    if (m) {
        m->close();
    }
    return s;
}

// Entry `i` of the list's menu chosen; the clipboard's text after it.
QString Scegli(ListBox& l, int i, const QString& come = QStringLiteral("f10")) {
    QGuiApplication::clipboard()->clear();
    QMenu* m = ApriMenu(l, come);
    if (!m || !m->actions().value(i) || !m->actions()[i]->isEnabled()) {
        return QStringLiteral("(voce assente o disattivata)");
    }
    m->actions()[i]->trigger();
    m->close();
    return QGuiApplication::clipboard()->text();
}

void AttendiSalvataggio(Guida& g) {
    QVERIFY(QTest::qWaitFor([&g] { return !g.InSalvataggio(); }));
}

// The CSV file as python3's csv module reads it.
QJsonArray LettoDaPython(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys; print(json.dumps(list(csv.reader(open("
                            "sys.argv[1], newline='', encoding='utf-8')))))"),
             file});
    p.waitForFinished();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

} // namespace

class TestGuidaCopia : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void copiaESalva_data() { zeltest::DueDriver::Righe(); }
    void copiaESalva();
    void vociAttive_data();
    void vociAttive();
    void salvataggioFallito_data();
    void salvataggioFallito();
    void annullaEDialogo();
};

void TestGuidaCopia::initTestCase() {
    dueDriver.Connetti();
    zeltest::Esegui(dueDriver.sqlite,
                    {"CREATE TABLE grande (n INTEGER, t VARCHAR(10))",
                     "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < "
                     "300000) INSERT INTO grande SELECT n, 'riga ' || n FROM s"});
    for (const auto& c : {dueDriver.sqlite, dueDriver.pg}) {
        if (!c) {
            continue;
        }
        const QString car = c == dueDriver.pg ? u"' || chr(%1) || '"_qs : u"' || char(%1) || '"_qs;
        zeltest::Esegui(
            c, {"DROP TABLE IF EXISTS copia", "CREATE TABLE copia (id INTEGER, testo TEXT)"});
        for (int i = 0; i < Testi.size(); ++i) {
            QString v = Testi[i].isNull() ? u"NULL"_qs : u'\'' + Testi[i] + u'\'';
            for (const int k : {9, 10, 13}) {
                v.replace(QChar(k), car.arg(k));
            }
            zeltest::Esegui(c, {u"INSERT INTO copia VALUES (%1, %2)"_qs.arg(i + 1).arg(v)});
        }
    }
}

void TestGuidaCopia::copiaESalva() {
    ZEL_CONNESSIONE_DEL_DRIVER(c, dueDriver);
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPer(g, driver, Sql);
    Elabora(g);
    const QStringList definizioni = Righe(g.lstCAMPI);

    // Ctrl+C and the first entry copy the current row's line; the mouse,
    // the Menu key and Shift+F10 open the same menu.
    g.lstDATI.setListIndex(2);
    QGuiApplication::clipboard()->clear();
    QTest::keySequence(g.lstDATI.vista(), QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"3|a,b|"_qs);
    for (const QString& come : {u"mouse"_qs, u"menu"_qs, u"f10"_qs}) {
        QCOMPARE(Scegli(g.lstDATI, 0, come), u"3|a,b|"_qs);
    }
    QMenu* m = ApriMenu(g.lstDATI);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m);
    QCOMPARE(a->text(QAccessible::Name), u"Menu dei dati"_qs);
    QStringList nomi;
    for (int i = 0; i < a->childCount(); ++i) {
        nomi << a->child(i)->text(QAccessible::Name);
    }
    QCOMPARE(nomi, QStringList({"Copia riga", "Copia tutte le righe con i nomi dei campi",
                                "Copia le definizioni dei campi", "Salva come CSV…"}));
    m->close();

    // Every row, tab-separated: NULL an empty field, the empty text "".
    QString tsv = u"id\ttesto, lungo\n"_qs;
    const QStringList campiTsv = {"",
                                  "\"\"",
                                  "a,b",
                                  "\"tab\tqui\"",
                                  "\"vir\"\"golette\"",
                                  "\"riga1\nriga2\"",
                                  "\"ritorno\r\nfine\"",
                                  Lungo,
                                  "àèì €"};
    for (int i = 0; i < campiTsv.size(); ++i) {
        tsv += QString::number(i + 1) + u'\t' + campiTsv[i] + u'\n';
    }
    QCOMPARE(Scegli(g.lstDATI, 1), tsv);

    // A selected row replaces the field lines; the definitions stay.
    g.lstDATI.setListIndex(2);
    QCOMPARE(Scegli(g.lstCAMPI, 2), definizioni.join(u'\n') + u'\n');
    g.lstCAMPI.setListIndex(1);
    QCOMPARE(Scegli(g.lstCAMPI, 0, u"menu"_qs), u"testo, lungo = a,b"_qs);

    // The CSV file: NULL and the empty text apart, values whole, UTF-8.
    const QString file = p.cartella.filePath(QStringLiteral("risultato.csv"));
    const QString stato = g.txtSTATUS.Text();
    g.SalvaCsv(file);
    CONTROLLA(AttendiSalvataggio(g));
    QCOMPARE(g.txtSTATUS.Text(), stato);
    QCOMPARE(QString::fromUtf8(Contenuto(file)),
             u"id,\"testo, "
             u"lungo\"\r\n1,\r\n2,\"\"\r\n3,\"a,b\"\r\n4,tab\tqui\r\n5,\"vir\"\"golette\"\r\n"
             "6,\"riga1\nriga2\"\r\n7,\"ritorno\r\nfine\"\r\n8,"_qs +
                 Lungo + u"\r\n9,àèì €\r\n"_qs);
    QJsonArray attese = {QJsonArray{"id", "testo, lungo"}};
    for (int i = 0; i < Testi.size(); ++i) {
        attese.append(QJsonArray{QString::number(i + 1), Testi[i]});
    }
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty()) {
        QSKIP("python3 assente: file non riletto.");
    }
    QCOMPARE(LettoDaPython(file), attese);
}

void TestGuidaCopia::vociAttive_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("elenco");
    QTest::addColumn<QString>("arresto"); // the phase at which "arresta" is clicked
    QTest::addColumn<QString>("attiveDati");
    QTest::addColumn<int>("righeCopiate"); // header included; -1: not offered
    QTest::newRow("completata") << Sql << true << ""
                                << "0111" << 12;
    QTest::newRow("vuota") << "SELECT id FROM copia WHERE id < 0" << true << ""
                           << "0111" << 1;
    QTest::newRow("elenco nascosto") << Sql << false << ""
                                     << "0010" << -1;
    QTest::newRow("arresto nel caricamento")
        << "SELECT n, t FROM grande" << true << "Caricamento Record "
        << "0111" << 0;
    QTest::newRow("arresto nel conteggio")
        << "SELECT n, t FROM grande" << true << "Conteggio Records "
        << "0010" << -1;
    QTest::newRow("fallita") << "SELECT nessuno FROM copia" << true << ""
                             << "0000" << -1;
}

void TestGuidaCopia::vociAttive() {
    QFETCH(QString, sql);
    QFETCH(bool, elenco);
    QFETCH(QString, arresto);
    QFETCH(QString, attiveDati);
    QFETCH(int, righeCopiate);
    FinestraProva p;
    Guida& g = p.apri();
    QCOMPARE(Attive(g.lstDATI), u"0000"_qs); // before any run
    g.chkLIST.setValue(elenco ? 1 : 0);
    InserisciPer(g, u"sqlite"_qs, sql);
    QString durante;
    if (!arresto.isEmpty()) {
        AllaFase(g, arresto, [&] {
            durante = Attive(g.lstCAMPI) + Attive(g.lstDATI);
            ClickVero(g.cmdSTOP.widget());
        });
    }
    const auto m = attiveDati == u"0000" ? AspettaMessaggio() : nullptr;
    Elabora(g);
    QVERIFY(!m || m->letto);
    QCOMPARE(durante, arresto.isEmpty() ? QString() : u"00000000"_qs);
    QCOMPARE(Attive(g.lstDATI), attiveDati);
    if (righeCopiate >= 0) {
        const qsizetype righe = Scegli(g.lstDATI, 1).count(u'\n');
        QCOMPARE(righe, righeCopiate > 0 ? righeCopiate : g.lstDATI.ListCount() + 1);
    }
}

void TestGuidaCopia::salvataggioFallito_data() {
    QTest::addColumn<QString>("caso");
    QTest::addColumn<QString>("causa");
    const QString apertura = QStringLiteral("il file non può essere creato");
    QTest::newRow("cartella mancante") << "cartella mancante" << apertura;
    QTest::newRow("disco pieno") << "disco pieno"
                                 << "spazio esaurito sul disco";
    QTest::newRow("sola lettura") << "sola lettura" << apertura;
}

void TestGuidaCopia::salvataggioFallito() {
    QFETCH(QString, caso);
    QFETCH(QString, causa);
    FinestraProva p;
    Guida& g = p.apri();
    const QString cartella = p.cartella.filePath(QStringLiteral("disco"));
    QDir().mkpath(cartella);
    PiccoloDisco disco(cartella);
    if (caso != u"cartella mancante" && !disco.Montato()) {
        QSKIP("Nessun piccolo disco: serve l'amministratore.");
    }
    // The result is longer than the disk; the file there stays as it was.
    const QString file = cartella + (caso == u"cartella mancante" ? u"/no/r.csv"_qs : u"/r.csv"_qs);
    const QByteArray vecchio =
        caso == u"cartella mancante" ? QByteArray() : QByteArrayLiteral("vecchio");
    if (!vecchio.isEmpty()) {
        Crea(file, vecchio);
    }
    QVERIFY(caso != u"sola lettura" || disco.SolaLettura(true));
    InserisciPer(g, u"sqlite"_qs, Sql);
    Elabora(g);
    auto m = AspettaMessaggio();
    g.SalvaCsv(file);
    CONTROLLA(AttendiSalvataggio(g));
    QTRY_VERIFY(m->letto);
    QCOMPARE(m->titolo, u"Salva come CSV"_qs);
    QVERIFY2(m->prompt.startsWith(u"Il file CSV non è stato salvato.\r\n\r\nFile: "_qs + file +
                                  u"\r\n\r\nErrore: "_qs + causa),
             qPrintable(m->prompt));
    QCOMPARE(Contenuto(file), vecchio);
    QCOMPARE(QDir(cartella).entryList(QDir::Files).size(), vecchio.isEmpty() ? 0 : 1);
}

void TestGuidaCopia::annullaEDialogo() {
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPer(g, u"sqlite"_qs,
                 u"SELECT a.testo FROM copia a, grande WHERE a.id = 8 AND n <= 500"_qs);
    Elabora(g);

    // Cancelled: nothing under the name, nothing beside it.
    const QString file = p.cartella.filePath(QStringLiteral("grande.csv"));
    g.SalvaCsv(file);
    auto* avanzamento = g.findChild<QProgressDialog*>();
    QVERIFY(avanzamento && g.InSalvataggio());
    QCOMPARE(avanzamento->windowModality(), Qt::WindowModal);
    avanzamento->findChild<QPushButton*>()->click(); // "Annulla"
    CONTROLLA(AttendiSalvataggio(g));
    QVERIFY(!g.findChild<QProgressDialog*>());
    QCOMPARE(QDir(p.cartella.path()).entryList({"grande*"}, QDir::Files), QStringList());

    // Through the menu and its dialog: the name given gets ".csv".
    InserisciPer(g, u"sqlite"_qs, Sql);
    Elabora(g);
    const QString nome = p.cartella.filePath(QStringLiteral("dal_dialogo"));
    QTimer::singleShot(0, &g, [&nome] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(d);
        d->selectFile(nome);
        QMetaObject::invokeMethod(d, "accept");
    });
    Scegli(g.lstDATI, 3);
    CONTROLLA(AttendiSalvataggio(g));
    QCOMPARE(Contenuto(nome + u".csv"_qs).count("\r\n"), 11);
}

QTEST_MAIN(TestGuidaCopia)
#include "test_guida_copia.moc"
