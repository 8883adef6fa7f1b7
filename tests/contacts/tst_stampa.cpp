// The printed contact list: the page read back from a PDF with pdftotext -bbox, the four
// orders, the date switch, and the selection window's preview and failure.

#include "RubricaFixture.h"
#include "TestEnv.h"
#include "contacts/TfrmQuickStampa.h"
#include "contacts/TfrmStampe.h"
#include "engine/DataSet.h"

#include <QCheckBox>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QtTest>

using testing_support::Contatto;
using testing_support::creaRubrica;

namespace {

struct Parola
{
    int pagina; // from 1
    QString testo;
    double x0, y0, x1, y1; // millimetres from the paper's top left corner
};

struct Documento
{
    QList<QSizeF> pagine; // in millimetres
    QList<Parola> parole;

    QList<Parola> diPagina(int p) const
    {
        QList<Parola> out;
        for (const Parola& w : parole)
            if (w.pagina == p)
                out.append(w);
        return out;
    }
    const Parola* trova(int p, const QString& testo) const
    {
        for (const Parola& w : parole)
            if (w.pagina == p && w.testo == testo)
                return &w;
        return nullptr;
    }
};

QList<Contatto> numerati(int n)
{
    QList<Contatto> out;
    for (int i = 1; i <= n; ++i)
        out.append({QStringLiteral("Cognome%1").arg(i), QStringLiteral("Nome%1").arg(i),
                    QStringLiteral("06%1").arg(i), QStringLiteral("c%1@x.it").arg(i)});
    return out;
}

template <typename T> T* controllo(QWidget* w, const char* nome)
{
    return w->findChild<T*>(QString::fromLatin1(nome));
}

constexpr double kPt = 25.4 / 72.0;
constexpr double kTolleranza = 0.5;

} // namespace

class TstStampa : public QObject
{
    Q_OBJECT

    QString m_pdftotext;

    // Produces the report onto a PDF and reads its words back.
    Documento produci(TfrmQuickStampa& report, const QString& cartella)
    {
        const QString pdf = cartella + QStringLiteral("stampa.pdf");
        {
            QPdfWriter writer(pdf);
            report.Produci(&writer);
        }
        return leggi(pdf);
    }

    Documento leggi(const QString& pdf)
    {
        Documento doc;
        QProcess p;
        p.start(m_pdftotext, {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            qWarning() << "pdftotext failed" << p.readAllStandardError();
            return doc;
        }
        const QString html = QString::fromUtf8(p.readAllStandardOutput());
        static const QRegularExpression rePagina(
            QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
        static const QRegularExpression reParola(QStringLiteral(
            "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">"
            "([^<]*)</word>"));
        qsizetype pos = 0;
        int pagina = 0;
        QList<qsizetype> inizi;
        for (auto it = rePagina.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            inizi.append(m.capturedStart());
            doc.pagine.append(
                QSizeF(m.captured(1).toDouble() * kPt, m.captured(2).toDouble() * kPt));
        }
        for (auto it = reParola.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            pos = m.capturedStart();
            while (pagina < inizi.size() && inizi.at(pagina) < pos)
                ++pagina;
            doc.parole.append({pagina, QTextDocumentFragment::fromHtml(m.captured(5)).toPlainText(),
                               m.captured(1).toDouble() * kPt, m.captured(2).toDouble() * kPt,
                               m.captured(3).toDouble() * kPt, m.captured(4).toDouble() * kPt});
        }
        return doc;
    }

    // The word's left edge and top edge, within the tolerance.
    static void verificaPosizione(const Documento& doc, int pagina, const QString& testo, double x,
                                  double y, const char* file, int riga)
    {
        const Parola* w = doc.trova(pagina, testo);
        if (!w) {
            QTest::qFail(qPrintable(QStringLiteral("\"%1\" not on page %2").arg(testo).arg(pagina)),
                         file, riga);
            return;
        }
        if (qAbs(w->x0 - x) > kTolleranza || qAbs(w->y0 - y) > kTolleranza)
            QTest::qFail(qPrintable(QStringLiteral("\"%1\" at %2,%3 mm, expected %4,%5")
                                        .arg(testo)
                                        .arg(w->x0, 0, 'f', 2)
                                        .arg(w->y0, 0, 'f', 2)
                                        .arg(x)
                                        .arg(y)),
                         file, riga);
    }
#define POSIZIONE(doc, pagina, testo, x, y)                                                        \
    do {                                                                                           \
        verificaPosizione(doc, pagina, testo, x, y, __FILE__, __LINE__);                           \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

    // Cognome column (left edge at 10.8 mm) of a page, top to bottom.
    static QStringList colonnaCognome(const Documento& doc, int pagina, double daY)
    {
        QList<Parola> col;
        for (const Parola& w : doc.diPagina(pagina))
            if (qAbs(w.x0 - 10.8) < kTolleranza && w.y0 > daY)
                col.append(w);
        std::sort(col.begin(), col.end(),
                  [](const Parola& a, const Parola& b) { return a.y0 < b.y0; });
        QStringList out;
        for (const Parola& w : col)
            out.append(w.testo);
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (m_pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void primaPagina()
    {
        testing_support::TestEnv env;
        creaRubrica(
            {{"Rossi", "Anna", "0612", "anna@x.it"}, {"Bianchi", "Piero", "333", "p@x.it"}});
        TfrmQuickStampa report;
        report.setOra(QDateTime(QDate(2026, 12, 11), QTime(9, 5, 7)));
        const Documento doc = produci(report, env.folder());
        QCOMPARE(doc.pagine.size(), 1);
        QVERIFY(qAbs(doc.pagine.at(0).width() - 210) < 0.5);
        QVERIFY(qAbs(doc.pagine.at(0).height() - 297) < 0.5);

        // Title band at the top margin.
        POSIZIONE(doc, 1, "E-mail:", 10 + 2.9, 10 + 4.8);
        POSIZIONE(doc, 1, "11/12/2026", 10 + 155.6, 10 + 3.7);
        QVERIFY(doc.trova(1, "09:05:07"));
        // Column headings under it.
        const double intest = 10 + 9.3 + 2.1;
        POSIZIONE(doc, 1, "Cognome", 10 + 0.8, intest);
        POSIZIONE(doc, 1, "Nome", 10 + 38.1, intest);
        POSIZIONE(doc, 1, "Numero", 10 + 82.6, intest);
        POSIZIONE(doc, 1, "Indirizzo", 10 + 135.5, intest);
        // Detail lines, 6.1 mm apart.
        const double prima = 10 + 9.3 + 8.5 + 0.8;
        POSIZIONE(doc, 1, "Rossi", 10 + 0.8, prima);
        POSIZIONE(doc, 1, "Anna", 10 + 38.1, prima);
        POSIZIONE(doc, 1, "0612", 10 + 82.6, prima);
        POSIZIONE(doc, 1, "anna@x.it", 10 + 135.5, prima);
        POSIZIONE(doc, 1, "Bianchi", 10 + 0.8, prima + 6.1);
        POSIZIONE(doc, 1, "p@x.it", 10 + 135.5, prima + 6.1);
        // Page heading, centred in its box.
        const Parola* a = doc.trova(1, "Archivio");
        const Parola* r = doc.trova(1, "rubrica");
        QVERIFY(a && r);
        QVERIFY(qAbs(a->y0 - 10.6) < kTolleranza);
        QVERIFY2(qAbs((a->x0 + r->x1) / 2 - (73.0 + 56.9 / 2)) < kTolleranza,
                 qPrintable(QString::number((a->x0 + r->x1) / 2)));
        QCOMPARE(doc.parole.size(), 2 + 2 + 7 + 8 + 2);
    }

    void pagineSeguenti()
    {
        testing_support::TestEnv env;
        creaRubrica(numerati(100));
        TfrmQuickStampa report;
        const Documento doc = produci(report, env.folder());
        // 42 lines fit under the title band, 44 on a page without it.
        QCOMPARE(doc.pagine.size(), 3);
        QCOMPARE(colonnaCognome(doc, 1, 27).size(), 42);
        QCOMPARE(colonnaCognome(doc, 2, 18).size(), 44);
        QCOMPARE(colonnaCognome(doc, 3, 18).size(), 14);
        for (int p = 2; p <= 3; ++p) {
            QVERIFY(!doc.trova(p, "E-mail:"));
            POSIZIONE(doc, p, "Cognome", 10 + 0.8, 10 + 2.1);
            POSIZIONE(doc, p, "Indirizzo", 10 + 135.5, 10 + 2.1);
            POSIZIONE(doc, p, "Archivio", doc.trova(1, "Archivio")->x0, 10.6);
            POSIZIONE(doc, p, "rubrica", doc.trova(1, "rubrica")->x0, 10.6);
        }
        POSIZIONE(doc, 2, "Cognome43", 10 + 0.8, 10 + 8.5 + 0.8);
        POSIZIONE(doc, 2, "c43@x.it", 10 + 135.5, 10 + 8.5 + 0.8);
        POSIZIONE(doc, 1, "Cognome42", 10 + 0.8, 10 + 9.3 + 8.5 + 41 * 6.1 + 0.8);
        POSIZIONE(doc, 3, "Cognome100", 10 + 0.8, 10 + 8.5 + 13 * 6.1 + 0.8);
    }

    void dataEOra_data()
    {
        QTest::addColumn<bool>("mostra");
        QTest::newRow("ticked") << true;
        QTest::newRow("not ticked") << false;
    }
    void dataEOra()
    {
        QFETCH(bool, mostra);
        testing_support::TestEnv env;
        creaRubrica(numerati(1));
        TfrmQuickStampa report;
        report.MostraData = mostra;
        const Documento doc = produci(report, env.folder());
        static const QRegularExpression data(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$"));
        bool trovata = false;
        for (const Parola& w : doc.parole)
            trovata = trovata || data.match(w.testo).hasMatch();
        QCOMPARE(trovata, mostra);
        POSIZIONE(doc, 1, "E-mail:", 12.9, 14.8);
        POSIZIONE(doc, 1, "Cognome1", 10.8, 28.6);
    }

    void tabellaVuota()
    {
        testing_support::TestEnv env;
        creaRubrica({});
        TfrmQuickStampa report;
        report.MostraData = false;
        const Documento doc = produci(report, env.folder());
        QCOMPARE(doc.pagine.size(), 1);
        QStringList testi;
        for (const Parola& w : doc.parole)
            testi.append(w.testo);
        QStringList attesi{"Archivio",  "rubrica", "E-mail:",    QStringLiteral(ZR_MAKER_SUPPORT),
                           "Cognome",   "Nome",    "Numero",     "telefonico",
                           "Indirizzo", "Posta",   "elettronica"};
        testi.sort();
        attesi.sort();
        QCOMPARE(testi, attesi);
    }

    void valoreTagliato()
    {
        testing_support::TestEnv env;
        creaRubrica({{"Abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwx", "N", "1", "m@x"}});
        TfrmQuickStampa report;
        const Documento doc = produci(report, env.folder());
        const QList<Parola> col = [&] {
            QList<Parola> out;
            for (const Parola& w : doc.parole)
                if (w.testo.startsWith("Abcdefgh"))
                    out.append(w);
            return out;
        }();
        QCOMPARE(col.size(), 1);
        QVERIFY(col.at(0).testo.size() < 50);
        QVERIFY2(col.at(0).x1 <= 10.8 + 36.2 + 0.1, qPrintable(QString::number(col.at(0).x1)));
        QVERIFY(col.at(0).x1 > 10.8 + 36.2 - 5);
    }

    void quattroOrdini_data()
    {
        QTest::addColumn<int>("ordine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("cognomi");
        QTest::newRow("codice") << int(TfrmStampe::PerCodice) << "select * from rubry.db"
                                << QStringList{"Verdi", "Bianchi", "Rossi"};
        QTest::newRow("nome") << int(TfrmStampe::PerNome) << "select * from rubry.db order by nome"
                              << QStringList{"Rossi", "Verdi", "Bianchi"};
        QTest::newRow("cognome") << int(TfrmStampe::PerCognome)
                                 << "select * from rubry.db order by cognome"
                                 << QStringList{"Bianchi", "Rossi", "Verdi"};
        QTest::newRow("mail") << int(TfrmStampe::PerMail) << "select * from rubry.db order by mail"
                              << QStringList{"Bianchi", "Verdi", "Rossi"};
    }
    void quattroOrdini()
    {
        QFETCH(int, ordine);
        QFETCH(QString, sql);
        QFETCH(QStringList, cognomi);
        testing_support::TestEnv env;
        creaRubrica({{"Verdi", "Bruno", "1", "b@x"},
                     {"Bianchi", "Carla", "2", "a@x"},
                     {"Rossi", "Anna", "3", "c@x"}});
        TfrmStampe selezione;
        frmQuickStampa = new TfrmQuickStampa(&selezione);
        selezione.setOrdine(ordine);
        controllo<QCheckBox>(&selezione, "cbMostraData")->setChecked(false);
        selezione.ImpostaReport();
        QCOMPARE(selezione.ordine(), ordine);
        QCOMPARE(frmQuickStampa->QueryStampa->sql(), sql);
        QVERIFY(!frmQuickStampa->MostraData);
        const Documento doc = produci(*frmQuickStampa, env.folder());
        QCOMPARE(colonnaCognome(doc, 1, 27), cognomi);
        QVERIFY(!frmQuickStampa->QueryStampa->active());
        delete frmQuickStampa;
        frmQuickStampa = nullptr;
    }

    void finestraSelezione()
    {
        testing_support::TestEnv env;
        TfrmStampe selezione;
        QCOMPARE(selezione.windowTitle(), QStringLiteral("Selezione stampe"));
        QCOMPARE(selezione.size(), QSize(268, 187));
        QCOMPARE(selezione.ordine(), int(TfrmStampe::PerCodice));
        QVERIFY(selezione.mostraData());
        QCOMPARE(controllo<QPushButton>(&selezione, "BTSstampa")->text(),
                 QStringLiteral("Anteprima"));
        QCOMPARE(controllo<QPushButton>(&selezione, "BTSesci")->text(), QStringLiteral("Esci"));
        selezione.show();
        QVERIFY(selezione.isVisible());
        controllo<QPushButton>(&selezione, "BTSesci")->click();
        QVERIFY(!selezione.isVisible());
    }

    // "Anteprima" opens the preview window; the selection window stays for another order.
    void anteprima()
    {
        testing_support::TestEnv env;
        creaRubrica(numerati(50));
        TfrmStampe selezione;
        frmQuickStampa = new TfrmQuickStampa(&selezione);
        selezione.show();
        QStringList titoli;
        QList<int> pagine;
        QTimer sonda;
        QElapsedTimer tempo;
        tempo.start();
        connect(&sonda, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
                titoli.append(d->windowTitle());
                auto* w = d->findChild<QPrintPreviewWidget*>();
                pagine.append(w ? w->pageCount() : -1);
                d->reject();
            } else if (tempo.elapsed() > 20000 && QApplication::activeModalWidget()) {
                QApplication::activeModalWidget()->close();
            }
        });
        sonda.start(20);
        controllo<QPushButton>(&selezione, "BTSstampa")->click();
        selezione.setOrdine(TfrmStampe::PerMail);
        controllo<QPushButton>(&selezione, "BTSstampa")->click();
        sonda.stop();
        QCOMPARE(titoli, (QStringList{"Anteprima di stampa", "Anteprima di stampa"}));
        QCOMPARE(pagine, (QList<int>{2, 2}));
        QVERIFY(env.desktop.boxes.isEmpty());
        QVERIFY(frmQuickStampa);
        QVERIFY(!frmQuickStampa->QueryStampa->active());
        QVERIFY(selezione.isVisible());
        delete frmQuickStampa;
        frmQuickStampa = nullptr;
    }

    // A failed preview reports the error and releases the report; the next "Anteprima"
    // works with a new one.
    void anteprimaFallita()
    {
        testing_support::TestEnv env;
        QWidget principale;
        TfrmStampe selezione(&principale);
        frmQuickStampa = new TfrmQuickStampa(&principale);
        QPointer<TfrmQuickStampa> primo = frmQuickStampa;
        selezione.BTSstampaClick(); // no contacts table
        QCOMPARE(
            env.desktop.texts(),
            QStringList{"Errore irreversibile in fase di stampa contattare Zentor Zudizeveda."});
        QCOMPARE(env.desktop.boxes.at(0).caption, QStringLiteral("Errore"));
        QVERIFY(!frmQuickStampa);
        QVERIFY(primo.isNull());

        creaRubrica(numerati(2));
        env.desktop.clear();
        int anteprime = 0;
        QTimer sonda;
        connect(&sonda, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
                ++anteprime;
                d->reject();
            }
        });
        sonda.start(20);
        selezione.BTSstampaClick();
        sonda.stop();
        QCOMPARE(anteprime, 1);
        QVERIFY(env.desktop.boxes.isEmpty());
        QVERIFY(frmQuickStampa);
        QCOMPARE(frmQuickStampa->parent(), &principale);
        delete frmQuickStampa;
        frmQuickStampa = nullptr;
    }

    // The menu command: selection window and report exist only while it runs.
    void comandoStampa()
    {
        testing_support::TestEnv env;
        QWidget principale;
        QPointer<TfrmQuickStampa> report;
        QPointer<QWidget> finestra;
        bool visto = false;
        QTimer sonda;
        QElapsedTimer tempo;
        tempo.start();
        connect(&sonda, &QTimer::timeout, [&] {
            if (auto* s = qobject_cast<TfrmStampe*>(QApplication::activeModalWidget())) {
                visto = frmQuickStampa && frmQuickStampa->parent() == &principale &&
                        s->parent() == &principale;
                report = frmQuickStampa;
                finestra = s;
                controllo<QPushButton>(s, "BTSesci")->click();
            } else if (tempo.elapsed() > 20000 && QApplication::activeModalWidget()) {
                QApplication::activeModalWidget()->close();
            }
        });
        sonda.start(20);
        StampaArchivio(&principale);
        sonda.stop();
        QVERIFY(visto);
        QVERIFY(finestra.isNull());
        QVERIFY(report.isNull());
        QVERIFY(!frmQuickStampa);
        QVERIFY(principale.findChildren<TfrmStampe*>().isEmpty());
        QVERIFY(principale.findChildren<TfrmQuickStampa*>().isEmpty());
    }
};

QTEST_MAIN(TstStampa)
#include "tst_stampa.moc"
