#include "shell/Traduci.h"

#include "engine/DataSet.h"
#include "shell/Fx.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include <functional>
#include <optional>

namespace {

// A language is a column name of the translation table: quoted as an identifier, so any
// text the settings hold stays a name and never becomes part of the statement.
QString identificatore(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// The caption of a control: its getter and setter, for the kinds of control that carry one.
struct Didascalia
{
    std::function<QString()> get;
    std::function<void(const QString&)> set;
};

std::optional<Didascalia> didascalia(QObject* object, bool isWindow)
{
    if (isWindow) {
        auto* w = static_cast<QWidget*>(object);
        return Didascalia{[w] { return w->windowTitle(); },
                          [w](const QString& t) { w->setWindowTitle(t); }};
    }
    if (auto* label = qobject_cast<QLabel*>(object))
        return Didascalia{[label] { return label->text(); },
                          [label](const QString& t) { label->setText(t); }};
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        return Didascalia{[button] { return button->text(); },
                          [button](const QString& t) { button->setText(t); }};
    if (auto* group = qobject_cast<QGroupBox*>(object))
        return Didascalia{[group] { return group->title(); },
                          [group](const QString& t) { group->setTitle(t); }};
    return std::nullopt;
}

void traduciDidascalia(const Didascalia& caption, const QString& language)
{
    caption.set(Traduci(caption.get(), language));
}

} // namespace

QString LeggiImpostazione(const QString& field)
{
    try {
        engine::Table settings(QStringLiteral("impostazioni.db"));
        settings.open();
        const QString value = settings.fieldByName(field).asString();
        settings.close();
        return value;
    } catch (const std::exception&) {
        MostraErrore(QStringLiteral("Errore di lettura in parametri di impostazione, campo: ") +
                     field);
        return QString();
    }
}

QString Traduci(const QString& text, const QString& language)
{
    QString prepared = text;
    if (prepared.startsWith(u'&'))
        prepared.remove(0, 1);
    prepared.remove(u'\'');

    engine::Query query;
    query.setSql(QStringLiteral("select ") + identificatore(language) +
                 QStringLiteral(" from lingua where ITALIANO = ?"));
    query.setParams({prepared});
    query.open();
    // Asking for the column by the language's name also refuses a name that is no column
    // of the table, whatever the statement made of it.
    engine::Field& translation = query.fieldByName(language);
    QString result = prepared;
    if (!query.isEmpty()) {
        query.first();
        result = translation.asString();
    }
    query.close();
    return result;
}

void TraduciForm(QWidget* window, const QStringList& controls, bool splash)
{
    if (!window || !engine::Table(QStringLiteral("lingua.db")).exists())
        return;
    const QString language = LeggiImpostazione(QStringLiteral("LINGUA"));
    if (language == QLatin1String("Italiano"))
        return;
    if (splash && language.isEmpty())
        return;

    for (const QString& name : controls) {
        const bool isWindow = name == window->objectName();
        QObject* object = isWindow ? window : window->findChild<QObject*>(name);
        if (!object) {
            qWarning("TraduciForm: %s has no control %s", qPrintable(window->objectName()),
                     qPrintable(name));
            continue;
        }
        const std::optional<Didascalia> caption = didascalia(object, isWindow);
        if (!caption)
            continue;
        traduciDidascalia(*caption, language);
        // The export kind choice: its two items follow its title.
        if (auto* group = qobject_cast<QGroupBox*>(object);
            group && name == QLatin1String("rgTIPO")) {
            for (QRadioButton* item : group->findChildren<QRadioButton*>()) {
                traduciDidascalia(Didascalia{[item] { return item->text(); },
                                             [item](const QString& t) { item->setText(t); }},
                                  language);
            }
        }
    }
}
