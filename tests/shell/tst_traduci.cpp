// Settings and translation over small impostazioni.db / lingua.db tables made by the test.

#include "TestEnv.h"
#include "engine/DataSet.h"
#include "shell/Traduci.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtTest>

using engine::FieldDef;
using engine::FieldKind;

namespace {

const QString kErroreImpostazioni =
    QStringLiteral("Errore di lettura in parametri di impostazione, campo: LINGUA");

void creaLingua(const QStringList& languages, const QList<QStringList>& rows)
{
    engine::Table t("lingua.db");
    t.fieldDefs << FieldDef{"ITALIANO", FieldKind::String, 100, false};
    for (const QString& l : languages)
        t.fieldDefs << FieldDef{l, FieldKind::String, 100, false};
    t.createTable();
    t.open();
    t.startTransaction();
    for (const QStringList& row : rows) {
        QVariantList values;
        for (const QString& v : row)
            values << v;
        t.insertRecord(values);
    }
    t.commit();
    t.close();
}

// The usual translation table: Inglese, and a language whose name holds a double quote.
void linguaDiProva()
{
    creaLingua({"Inglese", "Tedesco\"Alt"},
               {{"Prova finestra", "Test window", "Testfenster"},
                {"Nome dellarchivio", "Archive name", "Archivname"},
                {"Esci", "Exit", "Beenden"},
                {"Esci", "Quit", "Ende"},
                {"Tabelle", "Tables", "Tabellen"},
                {"Tipo formato desportazione", "Export format", "Exportformat"},
                {"Formato testo", "Text format", "Textformat"},
                {"Formato excel", "Excel format", "Excelformat"},
                {QStringLiteral("Città"), "City", QStringLiteral("Stadt")},
                {"0", "zero", "null"}});
}

void creaImpostazioni(const QVariantList& values, const QString& field = "LINGUA")
{
    engine::Table t("impostazioni.db");
    t.fieldDefs << FieldDef{"VERSIONE", FieldKind::Integer, 0, false}
                << FieldDef{field, FieldKind::String, 40, false};
    t.createTable();
    t.open();
    for (const QVariant& v : values)
        t.insertRecord({1, v});
    t.close();
}

// A window as the translated windows are made: caption, labels, buttons, group boxes and a
// radio group whose items are radio buttons.
struct Finestra
{
    QWidget window;
    QLabel* label1;
    QLabel* label2;
    QPushButton* esci;
    QPushButton* tabelle;
    QGroupBox* percorso;
    QGroupBox* tipo;
    QRadioButton* testo;
    QRadioButton* excel;
    QLabel* fuoriLista;

    Finestra()
    {
        window.setObjectName("TfrmProva");
        window.setWindowTitle("Prova finestra");
        auto* layout = new QVBoxLayout(&window);
        label1 = add<QLabel>("Label1", "Nome dell'archivio", layout);
        label2 = add<QLabel>("Label2", "Cos'altro", layout);
        esci = add<QPushButton>("ButEsci", "&Esci", layout);
        tabelle = add<QPushButton>("sbTabelle", "&Tabelle", layout);
        percorso = new QGroupBox("Percorso", &window);
        percorso->setObjectName("gbPercorso");
        layout->addWidget(percorso);
        tipo = new QGroupBox("Tipo formato d'esportazione", &window);
        tipo->setObjectName("rgTIPO");
        auto* items = new QVBoxLayout(tipo);
        testo = new QRadioButton("Formato testo", tipo);
        excel = new QRadioButton("Formato excel", tipo);
        items->addWidget(testo);
        items->addWidget(excel);
        layout->addWidget(tipo);
        fuoriLista = add<QLabel>("Label9", "Esci", layout);
    }
    template <class W> W* add(const QString& name, const QString& text, QVBoxLayout* layout)
    {
        auto* w = new W(text, &window);
        w->setObjectName(name);
        layout->addWidget(w);
        return w;
    }
    static QStringList controlli()
    {
        return {"TfrmProva", "Label1", "Label2", "ButEsci", "sbTabelle", "gbPercorso", "rgTIPO"};
    }
    QStringList testi() const
    {
        return {window.windowTitle(), label1->text(),    label2->text(), esci->text(),
                tabelle->text(),      percorso->title(), tipo->title(),  testo->text(),
                excel->text(),        fuoriLista->text()};
    }
};

const QStringList kItaliano = {
    "Prova finestra", "Nome dell'archivio",          "Cos'altro",     "&Esci",         "&Tabelle",
    "Percorso",       "Tipo formato d'esportazione", "Formato testo", "Formato excel", "Esci"};

} // namespace

class TstTraduci : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void traduci_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("result");
        QTest::newRow("found") << "Formato testo"
                               << "Inglese"
                               << "Text format";
        QTest::newRow("leading & dropped") << "&Tabelle"
                                           << "Inglese"
                                           << "Tables";
        QTest::newRow("apostrophe removed") << "Nome dell'archivio"
                                            << "Inglese"
                                            << "Archive name";
        QTest::newRow("not found: prepared text") << "Cos'altro"
                                                  << "Inglese"
                                                  << "Cosaltro";
        QTest::newRow("only the first & dropped") << "&&Esci"
                                                  << "Inglese"
                                                  << "&Esci";
        QTest::newRow("later & kept") << "E&sci"
                                      << "Inglese"
                                      << "E&sci";
        QTest::newRow("first row wins") << "Esci"
                                        << "Inglese"
                                        << "Exit";
        QTest::newRow("exact match") << "esci"
                                     << "Inglese"
                                     << "esci";
        QTest::newRow("accented") << QStringLiteral("Città") << "Inglese"
                                  << "City";
        QTest::newRow("quote in the language name") << "Esci"
                                                    << "Tedesco\"Alt"
                                                    << "Beenden";
        QTest::newRow("language case") << "Esci"
                                       << "INGLESE"
                                       << "Exit";
        QTest::newRow("quotes in the text stay a value") << "x' or ITALIANO <> 'y"
                                                         << "Inglese"
                                                         << "x or ITALIANO <> y";
    }
    void traduci()
    {
        QFETCH(QString, text);
        QFETCH(QString, language);
        QFETCH(QString, result);
        testing_support::TestEnv env;
        linguaDiProva();
        QCOMPARE(Traduci(text, language), result);
    }

    // A language that names no column, or a hostile one, is an engine error for the caller;
    // the translation table is untouched.
    void traduciRefusesLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("not a column") << "Spagnolo";
        QTest::newRow("empty") << "";
        QTest::newRow("statement") << "Inglese from lingua; drop table lingua; --";
        QTest::newRow("closing quote") << "Inglese\"; drop table lingua; --";
        QTest::newRow("string literal") << "'Inglese'";
        QTest::newRow("expression") << "Inglese || ITALIANO";
    }
    void traduciRefusesLanguage()
    {
        QFETCH(QString, language);
        testing_support::TestEnv env;
        linguaDiProva();
        QVERIFY_THROWS_EXCEPTION(zr::EngineError, Traduci("Esci", language));
        QCOMPARE(Traduci("Esci", "Inglese"), QStringLiteral("Exit"));
    }

    void leggiImpostazione()
    {
        testing_support::TestEnv env;
        creaImpostazioni({"Inglese", "Tedesco"});
        QCOMPARE(LeggiImpostazione("LINGUA"), QStringLiteral("Inglese")); // first record
        QCOMPARE(LeggiImpostazione("lingua"), QStringLiteral("Inglese"));
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    void leggiImpostazioneFails_data()
    {
        QTest::addColumn<int>("setup");
        QTest::newRow("no settings table") << 0;
        QTest::newRow("no such field") << 1;
        QTest::newRow("not a table") << 2;
    }
    void leggiImpostazioneFails()
    {
        QFETCH(int, setup);
        testing_support::TestEnv env;
        if (setup == 1)
            creaImpostazioni({"Inglese"}, "IDIOMA");
        if (setup == 2)
            env.writeFile("impostazioni.db", "niente");
        QCOMPARE(LeggiImpostazione("LINGUA"), QString());
        QCOMPARE(env.desktop.texts(), QStringList{kErroreImpostazioni});
        QCOMPARE(env.desktop.boxes[0].caption, QStringLiteral("Errore"));
    }

    void traduciForm()
    {
        testing_support::TestEnv env;
        linguaDiProva();
        creaImpostazioni({"Inglese"});
        Finestra f;
        TraduciForm(&f.window, Finestra::controlli());
        QCOMPARE(f.testi(),
                 (QStringList{"Test window", "Archive name", "Cosaltro", "Exit", "Tables",
                              "Percorso", "Export format", "Text format", "Excel format", "Esci"}));
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    // Cases where the window keeps its Italian texts. A translation table that is not a
    // table at all shows that nothing was looked up; a settings table that is not one shows
    // that the settings were not read.
    void nothingLookedUp_data()
    {
        QTest::addColumn<bool>("lingua");
        QTest::addColumn<QVariant>("setting"); // invalid: settings table not a table
        QTest::addColumn<bool>("splash");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("no lingua.db") << false << QVariant() << false << QStringList();
        QTest::newRow("Italiano") << true << QVariant("Italiano") << false << QStringList();
        QTest::newRow("splash, empty language") << true << QVariant("") << true << QStringList();
        QTest::newRow("splash, settings missing") << true << QVariant(QVariant::fromValue(nullptr))
                                                  << true << QStringList{kErroreImpostazioni};
    }
    void nothingLookedUp()
    {
        QFETCH(bool, lingua);
        QFETCH(QVariant, setting);
        QFETCH(bool, splash);
        QFETCH(QStringList, boxes);
        testing_support::TestEnv env;
        if (lingua)
            env.writeFile("lingua.db", "non una tabella");
        if (!setting.isValid())
            env.writeFile("impostazioni.db", "non una tabella");
        else if (setting.typeId() == QMetaType::QString)
            creaImpostazioni({setting});
        Finestra f;
        TraduciForm(&f.window, Finestra::controlli(), splash);
        QCOMPARE(f.testi(), kItaliano);
        QCOMPARE(env.desktop.texts(), boxes);
    }

    // Only "Italiano" exactly stops the translation: "italiano" names the ITALIANO column
    // (column names match regardless of case), so every caption shows its prepared form.
    void italianoIsCaseSensitive()
    {
        testing_support::TestEnv env;
        linguaDiProva();
        creaImpostazioni({"italiano"});
        Finestra f;
        TraduciForm(&f.window, Finestra::controlli());
        QCOMPARE(f.testi(), (QStringList{"Prova finestra", "Nome dellarchivio", "Cosaltro", "Esci",
                                         "Tabelle", "Percorso", "Tipo formato desportazione",
                                         "Formato testo", "Formato excel", "Esci"}));
    }

    // Without settings the language is empty: after the settings error the first lookup is
    // an engine error that reaches the window's creation.
    void settingsMissingOtherWindow()
    {
        testing_support::TestEnv env;
        linguaDiProva();
        Finestra f;
        QVERIFY_THROWS_EXCEPTION(zr::EngineError, TraduciForm(&f.window, Finestra::controlli()));
        QCOMPARE(env.desktop.texts(), QStringList{kErroreImpostazioni});
        QCOMPARE(f.testi(), kItaliano);
    }

    void hostileLanguageSetting()
    {
        testing_support::TestEnv env;
        linguaDiProva();
        creaImpostazioni({"Inglese\" from lingua; drop table lingua; --"});
        Finestra f;
        QVERIFY_THROWS_EXCEPTION(zr::EngineError, TraduciForm(&f.window, Finestra::controlli()));
        QCOMPARE(f.testi(), kItaliano);
        QCOMPARE(Traduci("Esci", "Inglese"), QStringLiteral("Exit"));
    }

    // The lookup fails part way (here the translation table loses the language after the
    // caption): the error reaches the caller, the controls before it stay translated and
    // the rest keep their Italian texts.
    void errorStopsAtControl()
    {
        testing_support::TestEnv env;
        linguaDiProva();
        creaImpostazioni({"Inglese"});
        Finestra f;
        QObject::connect(&f.window, &QWidget::windowTitleChanged, [&] {
            engine::Table("lingua.db").deleteTable();
            creaLingua({"Francese"}, {{"Esci", "Sortir"}});
        });
        QVERIFY_THROWS_EXCEPTION(zr::EngineError, TraduciForm(&f.window, Finestra::controlli()));
        QStringList expected = kItaliano;
        expected[0] = "Test window";
        QCOMPARE(f.testi(), expected);
    }

    void radioGroupItemsFollowTitle()
    {
        testing_support::TestEnv env;
        linguaDiProva();
        creaImpostazioni({"Tedesco\"Alt"});
        Finestra f;
        TraduciForm(&f.window, {"rgTIPO"});
        QCOMPARE(f.tipo->title(), QStringLiteral("Exportformat"));
        QCOMPARE(f.testo->text(), QStringLiteral("Textformat"));
        QCOMPARE(f.excel->text(), QStringLiteral("Excelformat"));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Prova finestra"));
    }
};

QTEST_MAIN(TstTraduci)
#include "tst_traduci.moc"
