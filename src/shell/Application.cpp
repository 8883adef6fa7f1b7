#include "shell/Application.h"

#include "contacts/ScambioDati.h"
#include "contacts/TFrmCanc.h"
#include "contacts/TFrmInserisci.h"
#include "contacts/TFrmVisSel.h"
#include "contacts/TfrmStampe.h"
#include "engine/Error.h"
#include "platform/Desktop.h"
#include "services/TFrmAbout.h"
#include "shell/Artwork.h"
#include "shell/TFrmMain.h"
#include "shell/TfrmStart.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <algorithm>

namespace shell {

void reportCurrentException() noexcept
{
    try {
        try {
            throw;
        } catch (const zr::Error& e) {
            platform::reportError(e.message());
        } catch (const std::exception& e) {
            platform::reportError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            platform::reportError(QStringLiteral("Errore imprevisto."));
        }
    } catch (...) {
        // The report itself failed: there is nobody left to tell.
    }
}

QStringList families(const QString& family)
{
    return {family, QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
            QStringLiteral("DejaVu Sans")};
}

QFont formFont()
{
    QFont font;
    font.setFamilies(families(QStringLiteral("MS Sans Serif")));
    font.setPixelSize(11);
    return font;
}

void setUpApplication()
{
    QCoreApplication::setApplicationName(platform::applicationTitle());
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    // Qt's own texts in Italian: standard buttons read "Sì", "No", "Annulla".
    static QTranslator* qtTexts = nullptr;
    if (!qtTexts) {
        auto* translator = new QTranslator(qApp);
        const QString locale = QStringLiteral("it");
        if (translator->load(QStringLiteral("qtbase_") + locale,
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
            translator->load(QStringLiteral("qtbase_") + locale,
                             QCoreApplication::applicationDirPath() +
                                 QStringLiteral("/translations"))) {
            QCoreApplication::installTranslator(translator);
            qtTexts = translator;
        } else {
            delete translator;
        }
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setWindowIcon(artwork::appIcon());
}

} // namespace shell

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    shell::setUpApplication();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        shell::reportCurrentException();
        return false;
    }
}

TFrmCanc* FrmCanc = nullptr;

StartUp::~StartUp()
{
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it) {
        if (it->data() == FrmCanc)
            FrmCanc = nullptr;
        delete it->data();
    }
}

void StartUp::createMain()
{
    m_windows.emplace_back(new TFrmMain);
}

void StartUp::createAbout()
{
    m_windows.emplace_back(new TFrmAbout);
}

void StartUp::createSplash()
{
    m_windows.emplace_back(new TfrmStart);
}

void StartUp::createSearch()
{
    // Lives to the end: the contact edit window works on its table cursor.
    FrmCanc = new TFrmCanc;
    m_windows.emplace_back(FrmCanc);
}

void StartUp::createWindows()
{
    createMain();
    createAbout();
    createSplash();
    createSearch();
    wireCommands();
}

void StartUp::wireCommands()
{
    if (!FrmMain)
        return;
    // One line per menu command whose window lives in another module.
    FrmMain->comandi[QStringLiteral("Visualizzaselezione1")] = ApriModale<TFrmVisSel>;
    FrmMain->comandi[QStringLiteral("Visualizzazionearchivio1")] = StampaArchivio;
    FrmMain->comandi[QStringLiteral("Aggiunginuovaidentit1")] = ApriModale<TFrmInserisci>;
    FrmMain->comandi[QStringLiteral("Cancellaidentit1")] = [](QWidget*) {
        if (FrmCanc)
            FrmCanc->exec(); // the living window, as it was left
    };
    FrmMain->SaveDialog1CanClose = EsportaRubrica;
    FrmMain->OpenDialog1CanClose = ImportaRubrica;
    // Still to come, in the same way:
    //     ...["Controllaversione1"] = ApriModale<TFrmControllaVersione>;
    //     ...["Salvataggiodati1"] = ApriModale<TFrmSalvataggioDati>;
    //     ...["Recuperodati1"] = ApriModale<TFrmRecuperoDati>;
    //     ...["InviodatiaZentorProduzione1"] = ApriModale<TFrmInvioDatiCasaMadre>;
    //     ...["Esportazioneasciiexcel1"] = ApriModale<TfrmEsportazioneTabelle>;
}

int StartUp::run()
{
    if (FrmMain)
        FrmMain->show(); // its FormShow holds it back behind the splash
    return QApplication::exec();
}

std::vector<QWidget*> StartUp::windows() const
{
    std::vector<QWidget*> out;
    for (const QPointer<QWidget>& w : m_windows) {
        if (w)
            out.push_back(w.data());
    }
    return out;
}

#include "moc_Application.cpp"
