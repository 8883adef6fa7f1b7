// The grid model over a dataset: size, headers, values, following the cursor, lazy reads.

#include "EngineTestUtil.h"
#include "TestEnv.h"
#include "engine/DataSet.h"
#include "shell/DataSetModel.h"

#include <QSignalSpy>
#include <QTest>
#include <sqlite3.h>

using namespace engine;
using namespace enginetest;

class TstDataSetModel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sizeHeadersAndValues();
    void chosenColumns();
    void followsFilterAndClose();
    void currentRowBothWays();
    void editShowsInRow();
    void queryModel();
    void rowsAreReadWhenAsked();

private:
    std::unique_ptr<testing_support::TestEnv> env;
    static constexpr int kRows = 20000;
};

void TstDataSetModel::init()
{
    env = std::make_unique<testing_support::TestEnv>();
    createContacts();
    Table t(QStringLiteral("Rubry.Db"));
    t.open();
    t.startTransaction();
    for (int i = 0; i < kRows; ++i)
        t.insertRecord({QVariant(), QStringLiteral("C%1").arg(i), i % 3 ? "Mario" : "Anna",
                        QString::number(i), QString()});
    t.commit();
}

void TstDataSetModel::cleanup()
{
    env.reset();
}

void TstDataSetModel::sizeHeadersAndValues()
{
    Table t(QStringLiteral("rubry"));
    t.open();
    shell::DataSetModel model(&t);
    QCOMPARE(model.rowCount(), kRows);
    QCOMPARE(model.columnCount(), 5);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("Nome"));
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("NumID"));
    for (int row : {0, 1, 5000, kRows - 1, 7, kRows / 2, 128, 127, 129}) {
        QCOMPARE(model.data(model.index(row, 1)).toString(), QStringLiteral("C%1").arg(row));
        QCOMPARE(model.data(model.index(row, 0)).toString(), QString::number(row + 1));
    }
    QVERIFY(!model.data(model.index(kRows, 1)).isValid());
    QCOMPARE(model.data(model.index(3, 0), Qt::EditRole), QVariant(qint64(4)));
}

void TstDataSetModel::chosenColumns()
{
    Table t(QStringLiteral("rubry"));
    t.open();
    shell::DataSetModel model(&t);
    model.setColumns({"Nome", "Cognome", "Numero", "Mail"});
    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Cognome"));
    QCOMPARE(model.data(model.index(3, 0)).toString(), QString("Anna"));
    QCOMPARE(model.data(model.index(3, 1)).toString(), QString("C3"));
}

void TstDataSetModel::followsFilterAndClose()
{
    Table t(QStringLiteral("rubry"));
    t.setFiltered(true);
    t.open();
    shell::DataSetModel model(&t);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    t.setFilter("Nome = 'Anna'");
    QVERIFY(resets.count() >= 1);
    QCOMPARE(model.rowCount(), (kRows + 2) / 3);
    QCOMPARE(model.data(model.index(1, 1)).toString(), QString("C3"));
    t.setRecNo(2);
    t.deleteRecord();
    QCOMPARE(model.rowCount(), (kRows + 2) / 3 - 1);
    QCOMPARE(model.data(model.index(1, 1)).toString(), QString("C6"));
    t.close();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    t.open();
    QCOMPARE(model.rowCount(), (kRows + 2) / 3 - 1);
}

void TstDataSetModel::currentRowBothWays()
{
    Table t(QStringLiteral("rubry"));
    t.open();
    shell::DataSetModel model(&t);
    QSignalSpy moved(&model, &shell::DataSetModel::currentRowChanged);
    QCOMPARE(model.currentRow(), 0);
    t.next();
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.last().at(0).toInt(), 1);
    model.setCurrentRow(500);
    QCOMPARE(t.recNo(), 501);
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("C500"));
    QCOMPARE(model.currentRow(), 500);
    t.last();
    QCOMPARE(moved.last().at(0).toInt(), kRows - 1);
}

void TstDataSetModel::editShowsInRow()
{
    Table t(QStringLiteral("rubry"));
    t.open();
    shell::DataSetModel model(&t);
    t.setRecNo(3);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    t.edit();
    t.fieldByName("Nome").setValue("Giulio");
    QVERIFY(changed.count() >= 1);
    QCOMPARE(model.data(model.index(2, 2)).toString(), QString("Giulio"));
    t.cancel();
    QCOMPARE(model.data(model.index(2, 2)).toString(), QString("Mario"));
    t.edit();
    t.fieldByName("Nome").setValue("Giulio");
    t.post();
    QCOMPARE(model.data(model.index(2, 2)).toString(), QString("Giulio"));
}

void TstDataSetModel::queryModel()
{
    Query q;
    q.setSql("select Cognome, max(NumID) from rubry where Nome = 'Anna'");
    q.open();
    shell::DataSetModel model(&q);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("max of numid"));
    q.close();
    q.setSql("select Numero, Cognome from rubry order by Cognome desc");
    q.open();
    QCOMPARE(model.rowCount(), kRows);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Numero"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QString("C9999"));
    QCOMPARE(model.data(model.index(kRows - 1, 1)).toString(), QString("C0"));
}

void TstDataSetModel::rowsAreReadWhenAsked()
{
    Table t(QStringLiteral("rubry"));
    t.open();
    shell::DataSetModel model(&t);
    QCOMPARE(model.data(model.index(0, 1)).toString(), QString("C0"));
    // Another program changes a record far down after the grid opened: the grid reads
    // that row only when it is shown, so it shows the change.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(t.filePath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "UPDATE records SET Cognome = 'changed' WHERE NumID = 15000",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(other);
    QCOMPARE(model.data(model.index(14999, 1)).toString(), QString("changed"));
    QCOMPARE(model.data(model.index(14998, 1)).toString(), QString("C14998"));
}

QTEST_GUILESS_MAIN(TstDataSetModel)
#include "tst_datasetmodel.moc"
