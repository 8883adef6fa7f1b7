#pragma once
// The contacts table as the tests build it and read it back: created through the program's
// own field declaration, filled in one transaction, read in NumID order.

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace testing_support {

// One contact, fields in the table's column order.
struct Contatto
{
    QString cognome, nome, numero, mail;
    bool operator==(const Contatto&) const = default;
};

// A stored contact with its NumID.
struct ContattoNumerato
{
    qint64 numId = 0;
    Contatto dati;
    bool operator==(const ContattoNumerato&) const = default;
};

// Creates Rubry.Db in the application folder and stores the contacts, numbered 1.. in order.
void creaRubrica(const QList<Contatto>& contatti = {});

// Every stored contact in NumID order.
QList<ContattoNumerato> leggiRubricaNumerata();
QList<Contatto> leggiRubrica();
// The same, one line each: "NumID Nome Cognome Numero Mail".
QStringList righeRubrica();

// The table's file in the application folder.
QString fileRubrica();

// Another program holding the table for writing: the engine's writes fail while it lasts.
class BloccoScrittura
{
public:
    explicit BloccoScrittura(const QString& file);
    ~BloccoScrittura();
    BloccoScrittura(const BloccoScrittura&) = delete;
    BloccoScrittura& operator=(const BloccoScrittura&) = delete;

    bool ok() const { return m_ok; }
    void rilascia();

private:
    sqlite3* m_db = nullptr;
    bool m_ok = false;
};

// How QCOMPARE shows them on a mismatch.
char* toString(const Contatto& c);
char* toString(const ContattoNumerato& c);

} // namespace testing_support

Q_DECLARE_METATYPE(testing_support::Contatto)
