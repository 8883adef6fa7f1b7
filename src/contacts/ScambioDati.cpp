#include "contacts/ScambioDati.h"

#include "contacts/ScambioFormato.h"
#include "engine/DataSet.h"
#include "platform/Desktop.h"
#include "shell/Fx.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>

namespace {

const QString kNomeTabella = QStringLiteral("rubry.db");

QString nomeVisibile(const QString& file)
{
    return QDir::toNativeSeparators(file);
}

// Where the exported values come from and the imported ones go, by field position.
struct CampiRubrica
{
    int nome = -1;
    int cognome = -1;
    int numero = -1;
    int mail = -1;
};

CampiRubrica trovaCampi(engine::DataSet& ds)
{
    CampiRubrica c;
    c.nome = ds.fieldByName(QStringLiteral("Nome")).index();
    c.cognome = ds.fieldByName(QStringLiteral("Cognome")).index();
    c.numero = ds.fieldByName(QStringLiteral("Numero")).index();
    c.mail = ds.fieldByName(QStringLiteral("Mail")).index();
    return c;
}

QString taglia(const QString& valore, int larghezza)
{
    return larghezza > 0 && valore.size() > larghezza ? valore.left(larghezza) : valore;
}

QByteArray leggiFile(const QString& nomeFile)
{
    QFile f(nomeFile);
    if (!f.open(QIODevice::ReadOnly))
        throw zr::Error(
            QStringLiteral("Impossibile aprire il file %1.").arg(nomeVisibile(nomeFile)));
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw zr::Error(
            QStringLiteral("Impossibile leggere il file %1.").arg(nomeVisibile(nomeFile)));
    return bytes;
}

void scriviFile(const QString& nomeFile, const QByteArray& bytes)
{
    // Written beside the target and put in its place only when complete: a failed
    // export leaves an existing file as it was.
    QSaveFile f(nomeFile);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw zr::Error(
            QStringLiteral("Impossibile scrivere il file %1.").arg(nomeVisibile(nomeFile)));
}

// The e-mail addresses of the stored contacts, read in one pass (empty ones left out).
QSet<QString> mailPresenti(const QString& campoMail)
{
    engine::Query q;
    q.setDatabaseName(PercorsoProgramma());
    q.setSql(QStringLiteral("select %1 from rubry").arg(campoMail));
    q.setForwardOnly(true);
    q.open();
    QSet<QString> mail;
    mail.reserve(q.recordCount());
    engine::Field& campo = q.field(0);
    for (q.first(); !q.eof(); q.next()) {
        QString m = campo.asString();
        if (!m.isEmpty())
            mail.insert(std::move(m));
    }
    q.close();
    return mail;
}

} // namespace

void EsportaRubricaConDialogo(QWidget* owner)
{
    platform::FileDialog dialogo;
    dialogo.filter = QString::fromLatin1(kFiltroScambio);
    const QString nome = platform::desktop().saveFileName(owner, dialogo);
    if (nome.isEmpty())
        return; // cancelled
    EsportaRubricaSuFile(nome);
}

void ImportaRubricaConDialogo(QWidget* owner)
{
    platform::FileDialog dialogo;
    dialogo.filter = QString::fromLatin1(kFiltroScambio);
    const QString nome = platform::desktop().openFileName(owner, dialogo);
    if (nome.isEmpty())
        return; // cancelled
    ImportaRubricaDaFile(nome);
}

void EsportaRubrica(const QString& nomeScelto)
{
    EsportaRubricaSuFile(nomeScelto);
}

void ImportaRubrica(const QString& nomeFile)
{
    ImportaRubricaDaFile(nomeFile);
}

EsitoEsportazione EsportaRubricaSuFile(const QString& nomeScelto)
{
    EsitoEsportazione esito;
    if (nomeScelto.isEmpty()) {
        MostraAttenzione(QStringLiteral("Impossibile completare l'esportazione."));
        return esito;
    }
    try {
        engine::Query q;
        q.setDatabaseName(PercorsoProgramma());
        q.setSql(QStringLiteral("select Nome, Cognome, Mail, Numero from rubry"));
        q.setForwardOnly(true); // one pass: no record is kept once written
        q.open();
        const CampiRubrica c = trovaCampi(q);
        engine::Field& nome = q.field(c.nome);
        engine::Field& cognome = q.field(c.cognome);
        engine::Field& mail = q.field(c.mail);
        engine::Field& numero = q.field(c.numero);

        QByteArray testo;
        testo += scambio::kIntestazione;
        testo += "\r\n";
        for (q.first(); !q.eof(); q.next()) {
            const auto valore = [&](engine::Field& f) {
                if (scambio::AccodaWindows1252(testo, f.asString()))
                    ++esito.sostituiti;
            };
            valore(nome);
            testo += ' ';
            valore(cognome);
            testo += ';';
            valore(mail);
            testo += ';';
            valore(numero);
            testo += ";\r\n";
            ++esito.contatti;
        }
        q.close();

        esito.file = scambio::NomeFileEsportazione(nomeScelto);
        scriviFile(esito.file, testo);
        esito.scritto = true;
    } catch (const zr::Error& e) {
        platform::reportError(e.message());
        return esito;
    } catch (const std::exception& e) {
        platform::reportError(QString::fromLocal8Bit(e.what()));
        return esito;
    }

    QString messaggio =
        QStringLiteral("Operazione completata.\rEsportati %1 contatti").arg(esito.contatti);
    if (esito.sostituiti > 0)
        messaggio += QStringLiteral("\rValori con caratteri non rappresentabili, scritti come "
                                    "\"?\": %1")
                         .arg(esito.sostituiti);
    MostraMessaggio(messaggio);
    return esito;
}

EsitoImportazione ImportaRubricaDaFile(const QString& nomeFile, const OpzioniImportazione& opzioni)
{
    EsitoImportazione esito;
    if (!ChiediConferma(QStringLiteral("L'importazione andrà (se successivamente confermato) a "
                                       "sovrascrivere i dati adesso esistenti.\rSicuro di voler "
                                       "effettuare tale operazione?")))
        return esito;
    if (nomeFile.isEmpty()) {
        MostraAttenzione(QStringLiteral("Impossibile completare l'importazione."));
        return esito;
    }
    try {
        const QStringList righe =
            scambio::DividiInRighe(scambio::DecodificaFile(leggiFile(nomeFile)));
        // The first line is the header: a file without a contact line has nothing to import.
        if (righe.size() < 2) {
            MostraAttenzione(QStringLiteral("Impossibile completare l'importazione, file vuoto."));
            return esito;
        }
        if (!righe.at(1).contains(u';')) {
            MostraErrore(QStringLiteral("Incoerenza di dati nel file di importazione"));
            return esito;
        }

        engine::Table tabella(kNomeTabella);
        tabella.setFiltered(true);
        tabella.open();
        const CampiRubrica c = trovaCampi(tabella);
        const int larghezzaNome = tabella.field(c.nome).size();
        const int larghezzaCognome = tabella.field(c.cognome).size();
        const int larghezzaNumero = tabella.field(c.numero).size();
        const int larghezzaMail = tabella.field(c.mail).size();
        const int campi = tabella.fieldCount();

        esito.sostituzione = ChiediConferma(
            QStringLiteral("Cancellare i record già presenti? Scegliere\rSi, se si vuole eliminare "
                           "quelli già presenti;\rNo, se si vuole integrare con quelli già "
                           "presenti."));

        // The duplicate test compares the address as a value, never as query text, and
        // sees the records stored earlier in the same import. A file at least as long as
        // the table reads the stored addresses once; a shorter one looks each address up
        // through a private index on Mail.
        const QString campoMail = tabella.field(c.mail).name();
        QSet<QString> mailNote;
        bool inMemoria = false;
        if (!esito.sostituzione) {
            inMemoria = righe.size() - 1 >= tabella.recordCount();
            if (inMemoria)
                mailNote = mailPresenti(campoMail);
            else
                tabella.ensureHelperIndex(campoMail);
        }
        const auto giaPresente = [&](const QString& mail) {
            return inMemoria ? mailNote.contains(mail) : tabella.containsValue(campoMail, mail);
        };

        // One unit of work: either every line is in the table or the table is untouched.
        tabella.startTransaction();
        try {
            if (esito.sostituzione)
                tabella.emptyTable();

            QVariantList valori;
            for (qsizetype i = 1; i < righe.size(); ++i) {
                const scambio::RigaContatto r = scambio::DividiRiga(righe.at(i));
                const QString mail = taglia(r.mail, larghezzaMail);
                // An empty address identifies nobody: it is never a duplicate.
                if (!esito.sostituzione && !mail.isEmpty() && giaPresente(mail)) {
                    ++esito.doppioni;
                    continue;
                }
                if (opzioni.primaDiRegistrare)
                    opzioni.primaDiRegistrare(int(i + 1));
                valori.fill(QVariant(), campi);
                valori[c.nome] = taglia(r.nome, larghezzaNome);
                valori[c.cognome] = taglia(r.cognome, larghezzaCognome);
                valori[c.mail] = mail;
                valori[c.numero] = taglia(r.numero, larghezzaNumero);
                tabella.insertRecord(valori);
                if (inMemoria && !mail.isEmpty())
                    mailNote.insert(mail);
                ++esito.importati;
            }
            tabella.commit();
        } catch (...) {
            try {
                tabella.rollback();
            } catch (...) {
                // The original failure is the one to report.
            }
            throw;
        }
        tabella.close();
        esito.eseguita = true;
    } catch (const zr::Error& e) {
        platform::reportError(e.message());
        return EsitoImportazione{};
    } catch (const std::exception& e) {
        platform::reportError(QString::fromLocal8Bit(e.what()));
        return EsitoImportazione{};
    }

    MostraMessaggio(
        QStringLiteral("Operazione completata.\rImportati %1 contatti\rTrovati %2 doppioni")
            .arg(esito.importati)
            .arg(esito.doppioni));
    return esito;
}
