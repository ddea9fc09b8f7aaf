// The window under a real window manager: the outer size with its title
// bar, snapping back to the minimum, minimising, maximising, and focus moved
// by real key presses.
#include "support/finestra_prova.h"

#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>

namespace {
// Twips that the window system rounds to whole pixels: equal within one.
bool Circa(float a, float b) { return qAbs(a - b) <= 15.0f; }
} // namespace

class TestGuidaWm : public QObject {
    Q_OBJECT
  private slots:
    void cornice();
    void minimoERidimensionamento();
    void minimizzaEMassimizza();
    void tastiReali();
};

void TestGuidaWm::cornice() {
    FinestraProva p;
    Guida& g = p.apri();
    QTRY_VERIFY(g.frameGeometry().height() > g.height()); // the title bar is in the outer size
    QTRY_VERIFY(g.Width() >= 10700 && g.Height() >= 7000);
    QCOMPARE(g.Width(), static_cast<float>(g.frameGeometry().width() * 15));
    QCOMPARE(g.Height(), static_cast<float>(g.frameGeometry().height() * 15));
    // The results frame follows the outer height, not the client height.
    QTRY_VERIFY(Circa(g.frmELABORAZIONE.Height(), g.Height() - 2760 - 700));
}

void TestGuidaWm::minimoERidimensionamento() {
    FinestraProva p;
    Guida& g = p.apri();
    QTRY_VERIFY(g.frameGeometry().height() > g.height());
    // The user drags the window to 9000 x 5000 twips: it snaps back.
    const int cornice = g.frameGeometry().height() - g.height();
    g.resize(600, 333 - cornice);
    QTRY_VERIFY(g.Width() >= 10700 && g.Width() < 10700 + 15);
    QTRY_VERIFY(g.Height() >= 7000 && g.Height() < 7000 + 15);
    QTRY_VERIFY(Circa(g.frmELABORAZIONE.Width(), g.Width() - 600));
    QVERIFY(Circa(g.frmELABORAZIONE.Height(), g.Height() - 2760 - 700));
}

void TestGuidaWm::minimizzaEMassimizza() {
    FinestraProva p;
    Guida& g = p.apri();
    g.resize(900, 600);
    QTRY_VERIFY(Circa(g.frmELABORAZIONE.Width(), g.Width() - 600));
    const float larghezza = g.frmELABORAZIONE.Width();
    const float altezza = g.frmELABORAZIONE.Height();

    g.showMinimized();
    QTRY_COMPARE(g.WindowState(), 1);
    QCOMPARE(g.frmELABORAZIONE.Width(), larghezza);
    QCOMPARE(g.frmELABORAZIONE.Height(), altezza);

    g.showNormal();
    QTRY_COMPARE(g.WindowState(), 0);
    QTRY_VERIFY(Circa(g.frmELABORAZIONE.Width(), g.Width() - 600));

    g.showMaximized();
    QTRY_COMPARE(g.WindowState(), 2);
    QTRY_VERIFY(g.width() > 1000);
    QTRY_VERIFY(Circa(g.frmELABORAZIONE.Width(), g.Width() - 600));
    QTRY_VERIFY(Circa(g.frmELABORAZIONE.Height(), g.Height() - 2760 - 700));
    QCOMPARE(g.lstDATI.Left() + g.lstDATI.Width(), g.txtSTATUS.Left() + g.txtSTATUS.Width());
}

void TestGuidaWm::tastiReali() {
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) {
        QSKIP("xdotool is not installed");
    }
    FinestraProva p;
    Guida& g = p.apri();
    g.txtSISTEMA.setText(QStringLiteral("as400a"));
    g.txtAS400UTENTE.setText(QStringLiteral("rossi"));
    QTRY_COMPARE(NomeFuoco(), QStringLiteral("txtODBC"));
    const auto tasto = [&](const char* k) {
        QProcess::execute(xdotool, {QStringLiteral("key"), QString::fromLatin1(k)});
        QTest::qWait(50);
    };
    tasto("Tab");
    QTRY_COMPARE(NomeFuoco(), QStringLiteral("txtSISTEMA"));
    QCOMPARE(qobject_cast<QLineEdit*>(g.txtSISTEMA.widget())->selectedText(),
             QStringLiteral("as400a"));
    tasto("Tab");
    QTRY_COMPARE(NomeFuoco(), QStringLiteral("txtAS400UTENTE"));
    tasto("x");
    tasto("Tab");
    QTRY_COMPARE(g.txtAS400UTENTE.Text(), QStringLiteral("X"));
    QCOMPARE(g.txtSISTEMA.Text(), QStringLiteral("as400a"));
}

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: these cases need an X display with a window manager");
        return 0;
    }
    QApplication app(argc, argv);
    TestGuidaWm prova;
    return QTest::qExec(&prova, argc, argv);
}

#include "test_guida_wm.moc"
