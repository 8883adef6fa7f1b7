#include "shell/Fx.h"

#include "platform/AppFolder.h"
#include "platform/Desktop.h"

#include <QDate>

using platform::Answer;
using platform::Buttons;
using platform::Icon;

void MostraMessaggio(const QString& text)
{
    platform::desktop().message(
        {QStringLiteral("Messaggio."), text, Icon::Information, Buttons::Ok});
}

void MostraAttenzione(const QString& text)
{
    platform::desktop().message({QStringLiteral("Attenzione."), text, Icon::Warning, Buttons::Ok});
}

void MostraErrore(const QString& text)
{
    platform::desktop().message({QStringLiteral("Errore"), text, Icon::Critical, Buttons::Ok});
}

bool ChiediConferma(const QString& question)
{
    return platform::desktop().message({QStringLiteral("Richiesta."), question, Icon::Question,
                                        Buttons::YesNo}) == Answer::Yes;
}

QString ComponiMail(const QString& address, const QString& subject, const QString& body)
{
    return QStringLiteral("mailto:") + address + QStringLiteral("?subject=") + subject +
           QStringLiteral("&body=") + body;
}

void InviaMail(const QString& address, const QString& subject, const QString& body)
{
    platform::desktop().openUrl(platform::mailtoUrl(address, subject, body));
}

void ApriDocumento(const QString& target)
{
    platform::desktop().openUrl(platform::documentUrl(target));
}

QString PercorsoProgramma()
{
    return platform::appFolder();
}

int EseguiEAttendi(const QString& commandLine)
{
    return platform::desktop().runAndWait(commandLine);
}

QString Destra(const QString& text, int count)
{
    if (count <= 0)
        return QString();
    return text.right(count);
}

QString Sinistra(const QString& text, int count)
{
    if (count <= 0)
        return QString();
    return text.left(count);
}

QString GiornoOggi()
{
    return QStringLiteral("%1").arg(QDate::currentDate().day(), 2, 10, QLatin1Char('0'));
}

QString MeseOggi()
{
    return QStringLiteral("%1").arg(QDate::currentDate().month(), 2, 10, QLatin1Char('0'));
}

QString AnnoOggi()
{
    return QString::number(QDate::currentDate().year());
}

QChar UltimoCarattere(const QString& text)
{
    return text.isEmpty() ? QChar(0) : text.back();
}
