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
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

zeltest::DueDriver dueDriver;
const QString Lungo = QString(70000, u'x') + u'è';
const QString Sql = QStringLiteral("SELECT id, testo AS \"testo, lungo\" FROM copia ORDER BY id");
// The rows of `copia` (NULL first), and what is copied and saved of them.
const QStringList Testi =
    QStringList{QString()} +
    QStringList{"",    "a,b",  "tab\tqui", "vir\"golette", "riga1\nriga2", "ritorno\r\nfine",
                Lungo, "àèì €"};
const QString Tsv =
    "id\ttesto, lungo\n1\t\n2\t\"\"\n3\ta,b\n4\t\"tab\tqui\"\n5\t\"vir\"\"golette\"\n"
    "6\t\"riga1\nriga2\"\n7\t\"ritorno\r\nfine\"\n8\t" +
    Lungo + "\n9\tàèì €\n";
const QString Csv = "id,\"testo, lungo\"\r\n1,\r\n2,\"\"\r\n3,\"a,b\"\r\n4,tab\tqui\r\n"
                    "5,\"vir\"\"golette\"\r\n6,\"riga1\nriga2\"\r\n7,\"ritorno\r\nfine\"\r\n8," +
                    Lungo + "\r\n9,àèì €\r\n";

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
    QString s;
    QMenu* m = ApriMenu(l);
    for (QAction* a : m->actions()) {
        s += a->isEnabled() ? u'1' : u'0';
    }
    m->close();
    return s;
}

// Entry `i` of the list's menu chosen; the clipboard's text after it.
QString Scegli(ListBox& l, int i, const QString& come = QStringLiteral("f10")) {
    QApplication::clipboard()->clear();
    QMenu* m = ApriMenu(l, come);
    if (!m || !m->actions().value(i) || !m->actions()[i]->isEnabled()) {
        return QStringLiteral("(voce assente o disattivata)");
    }
    m->actions()[i]->trigger();
    m->close();
    // Every row is copied off the window's thread: the text comes later.
    if (!QTest::qWaitFor([] { return !QApplication::clipboard()->text().isEmpty(); }, 10000)) {
        return QStringLiteral("(appunti vuoti)");
    }
    return QApplication::clipboard()->text();
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
    void annulla();
};

void TestGuidaCopia::initTestCase() {
    dueDriver.Connetti();
    for (const auto& c : {dueDriver.sqlite, dueDriver.pg}) {
        if (!c) {
            continue;
        }
        const QString car = c == dueDriver.pg ? u"' || chr(%1) || '"_s : u"' || char(%1) || '"_s;
        zeltest::Esegui(
            c, {"DROP TABLE IF EXISTS copia", "CREATE TABLE copia (id INTEGER, testo TEXT)"});
        for (int i = 0; i < Testi.size(); ++i) {
            QString v = Testi[i].isNull() ? u"NULL"_s : u'\'' + Testi[i] + u'\'';
            for (const int k : {9, 10, 13}) {
                v.replace(QChar(k), car.arg(k));
            }
            zeltest::Esegui(c, {u"INSERT INTO copia VALUES (%1, %2)"_s.arg(i + 1).arg(v)});
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
    QApplication::clipboard()->clear();
    QTest::keySequence(g.lstDATI.vista(), QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), u"3|a,b|"_s);
    for (const QString& come : {u"mouse"_s, u"menu"_s, u"f10"_s}) {
        QCOMPARE(Scegli(g.lstDATI, 0, come), u"3|a,b|"_s);
    }
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(ApriMenu(g.lstDATI));
    QStringList nomi = {menu->text(QAccessible::Name)};
    for (int i = 0; i < menu->childCount(); ++i) {
        nomi << menu->child(i)->text(QAccessible::Name);
    }
    QCOMPARE(nomi, QStringList({"Menu dei dati", "Copia riga",
                                "Copia tutte le righe con i nomi dei campi",
                                "Copia le definizioni dei campi", "Salva come CSV…"}));
    QApplication::activePopupWidget()->close();

    // Every row, tab-separated: NULL an empty field, the empty text "".
    QCOMPARE(Scegli(g.lstDATI, 1), Tsv);

    // A selected row replaces the field lines; the definitions stay.
    g.lstDATI.setListIndex(2);
    QCOMPARE(Scegli(g.lstCAMPI, 2), definizioni.join(u'\n') + u'\n');
    g.lstCAMPI.setListIndex(1);
    QCOMPARE(Scegli(g.lstCAMPI, 0, u"menu"_s), u"testo, lungo = a,b"_s);

    // The CSV file: NULL and the empty text apart, values whole, UTF-8.
    const QString file = p.cartella.filePath(QStringLiteral("risultato.csv"));
    const QString stato = g.txtSTATUS.Text();
    g.SalvaCsv(file);
    QVERIFY(QTest::qWaitFor([&g] { return !g.InSalvataggio(); }));
    QCOMPARE(g.txtSTATUS.Text(), stato);
    QCOMPARE(QString::fromUtf8(Contenuto(file)), Csv);
    // Not a braced list: from one QJsonArray, clang copies it instead.
    QJsonArray attese;
    attese.append(QJsonArray{"id", "testo, lungo"});
    for (int i = 0; i < Testi.size(); ++i) {
        attese.append(QJsonArray{QString::number(i + 1), Testi[i]});
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty()) {
        QCOMPARE(LettoDaPython(file), attese);
    }
}

void TestGuidaCopia::vociAttive_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("elenco");
    QTest::addColumn<QString>("arresto"); // the phase at which "arresta" is clicked
    QTest::addColumn<QString>("attiveDati");
    QTest::addColumn<int>("righeCopiate"); // header included; -1: not offered
    // 9^6 rows: counted and loaded over many passes of the event loop.
    const QString grande = QStringLiteral("SELECT a.id, b.id FROM copia a, copia b, copia c, "
                                          "copia d, copia e, copia f");
    QTest::newRow("completata") << Sql << true << QString() << u"0111"_s << 12;
    QTest::newRow("vuota") << u"SELECT id FROM copia WHERE id < 0"_s << true << QString()
                           << u"0111"_s << 1;
    QTest::newRow("elenco nascosto") << Sql << false << QString() << u"0010"_s << -1;
    QTest::newRow("arresto nel caricamento")
        << grande << true << u"Caricamento Record "_s << u"0111"_s << 0;
    QTest::newRow("arresto nel conteggio")
        << grande << true << u"Conteggio Records "_s << u"0010"_s << -1;
    QTest::newRow("fallita") << u"SELECT nessuno FROM copia"_s << true << QString() << u"0000"_s
                             << -1;
}

void TestGuidaCopia::vociAttive() {
    QFETCH(QString, sql);
    QFETCH(bool, elenco);
    QFETCH(QString, arresto);
    QFETCH(QString, attiveDati);
    QFETCH(int, righeCopiate);
    FinestraProva p;
    Guida& g = p.apri();
    QCOMPARE(Attive(g.lstDATI), u"0000"_s); // before any run
    g.chkLIST.setValue(elenco ? 1 : 0);
    InserisciPer(g, u"sqlite"_s, sql);
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
    QCOMPARE(durante, arresto.isEmpty() ? QString() : u"00000000"_s);
    QCOMPARE(Attive(g.lstDATI), attiveDati);
    if (righeCopiate >= 0) {
        const qsizetype righe = Scegli(g.lstDATI, 1).count(u'\n');
        QCOMPARE(righe, righeCopiate > 0 ? righeCopiate : g.lstDATI.ListCount() + 1);
    }
}

void TestGuidaCopia::salvataggioFallito_data() {
    QTest::addColumn<QString>("caso");
    QTest::addColumn<QString>("causa");
    QTest::newRow("cartella mancante") << "cartella mancante"
                                       << "il file non può essere creato";
    QTest::newRow("disco pieno") << "disco pieno"
                                 << "spazio esaurito sul disco";
    QTest::newRow("sola lettura") << "sola lettura"
                                  << "il file non può essere creato";
}

void TestGuidaCopia::salvataggioFallito() {
    QFETCH(QString, caso);
    QFETCH(QString, causa);
    FinestraProva p;
    Guida& g = p.apri();
    const QString cartella = p.cartella.filePath(QStringLiteral("disco"));
    QDir().mkpath(cartella);
    PiccoloDisco disco(cartella);
    const bool manca = caso == u"cartella mancante";
    if (!manca && !disco.Montato()) {
        QSKIP("Nessun piccolo disco: serve l'amministratore.");
    }
    // The result is longer than the disk; the file there stays as it was.
    const QString file = cartella + (manca ? u"/no/r.csv"_s : u"/r.csv"_s);
    const QByteArray vecchio = manca ? QByteArray() : QByteArrayLiteral("vecchio");
    if (!manca) {
        Crea(file, vecchio);
    }
    QVERIFY(caso != u"sola lettura" || disco.SolaLettura(true));
    InserisciPer(g, u"sqlite"_s, Sql);
    Elabora(g);
    auto m = AspettaMessaggio();
    g.SalvaCsv(file);
    QTRY_VERIFY(m->letto);
    QCOMPARE(m->titolo, u"Salva come CSV"_s);
    QVERIFY2(m->prompt.startsWith(u"Il file CSV non è stato salvato.\r\n\r\nFile: "_s + file +
                                  u"\r\n\r\nErrore: "_s + causa),
             qPrintable(m->prompt));
    QCOMPARE(Contenuto(file), vecchio);
    QCOMPARE(QDir(cartella).entryList(QDir::Files).size(), manca ? 0 : 1);
}

void TestGuidaCopia::annulla() {
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPer(g, u"sqlite"_s,
                 u"SELECT a.testo FROM copia a, copia b, copia c, copia d WHERE a.id = 8"_s);
    Elabora(g);
    // Cancelled: nothing under the name, nothing beside it.
    g.SalvaCsv(p.cartella.filePath(QStringLiteral("grande.csv")));
    auto* avanzamento = g.findChild<QProgressDialog*>();
    QVERIFY(avanzamento && g.InSalvataggio());
    QVERIFY(!avanzamento->isModal());                // the window stays usable
    avanzamento->findChild<QPushButton*>()->click(); // "Annulla"
    QVERIFY(QTest::qWaitFor([&g] { return !g.InSalvataggio(); }));
    QVERIFY(!g.findChild<QProgressDialog*>());
    QCOMPARE(QDir(p.cartella.path()).entryList({"grande*"}, QDir::Files), QStringList());
}

QTEST_MAIN(TestGuidaCopia)
#include "test_guida_copia.moc"
