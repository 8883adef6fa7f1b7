#include "RubricaFixture.h"

#include "contacts/Rubrica.h"
#include "engine/DataSet.h"

#include <QtTest>
#include <sqlite3.h>

namespace testing_support {

void creaRubrica(const QList<Contatto>& contatti)
{
    engine::Table t(QString::fromLatin1(kTabellaRubrica));
    DichiaraCampiRubrica(t);
    t.createTable();
    t.open();
    t.startTransaction();
    for (const Contatto& c : contatti)
        t.insertRecord({QVariant(), c.cognome, c.nome, c.numero, c.mail});
    t.commit();
    t.close();
}

QList<ContattoNumerato> leggiRubricaNumerata()
{
    engine::Query q;
    q.setSql(QStringLiteral("select * from rubry.db order by numid"));
    q.open();
    QList<ContattoNumerato> out;
    for (q.first(); !q.eof(); q.next()) {
        out.append({q.fieldByName(QStringLiteral("NumID")).asInteger(),
                    {q.fieldByName(QStringLiteral("Cognome")).asString(),
                     q.fieldByName(QStringLiteral("Nome")).asString(),
                     q.fieldByName(QStringLiteral("Numero")).asString(),
                     q.fieldByName(QStringLiteral("Mail")).asString()}});
    }
    return out;
}

QList<Contatto> leggiRubrica()
{
    QList<Contatto> out;
    for (const ContattoNumerato& c : leggiRubricaNumerata())
        out.append(c.dati);
    return out;
}

QStringList righeRubrica()
{
    QStringList righe;
    for (const ContattoNumerato& c : leggiRubricaNumerata())
        righe << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(c.numId)
                     .arg(c.dati.nome, c.dati.cognome, c.dati.numero, c.dati.mail);
    return righe;
}

QString fileRubrica()
{
    return engine::Table(QString::fromLatin1(kTabellaRubrica)).filePath();
}

BloccoScrittura::BloccoScrittura(const QString& file)
{
    m_ok = sqlite3_open(file.toUtf8().constData(), &m_db) == SQLITE_OK &&
           sqlite3_exec(m_db, "BEGIN IMMEDIATE; UPDATE records SET Nome = Nome", nullptr, nullptr,
                        nullptr) == SQLITE_OK;
}

BloccoScrittura::~BloccoScrittura()
{
    rilascia();
}

void BloccoScrittura::rilascia()
{
    if (m_db) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

char* toString(const Contatto& c)
{
    return qstrdup(QStringLiteral("[%1|%2|%3|%4]")
                       .arg(c.cognome, c.nome, c.numero, c.mail)
                       .toUtf8()
                       .constData());
}

char* toString(const ContattoNumerato& c)
{
    return qstrdup(QStringLiteral("[%1|%2|%3|%4|%5]")
                       .arg(c.numId)
                       .arg(c.dati.cognome, c.dati.nome, c.dati.numero, c.dati.mail)
                       .toUtf8()
                       .constData());
}
} // namespace testing_support
