#pragma once
// Finding a window's controls by their object names, and the search window's set of them.

#include <QObject>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QWidget;

namespace testing_support {

// The named child control; a missing one stops the test program.
template <typename T> T* trova(const QObject* w, const char* nome)
{
    T* c = w->findChild<T*>(QString::fromLatin1(nome));
    if (!c)
        qFatal("%s has no control %s", qPrintable(w->objectName()), nome);
    return c;
}

// The search window's controls, found by their names as the user sees them.
struct ControlliCanc
{
    QLabel* Label1;
    QCheckBox *cbNome, *cbCognome, *cbNumero, *cbMail, *cbNascondi;
    QLineEdit *EDTnome, *EDTcognome, *EDTnumero, *EDTmail;
    QPushButton *BBricerca, *BBedita, *BBcancella, *BUTIMMback, *btInvia;
    QLabel* LabTrovati;
    QGroupBox* GroupBox1;
    QTableView* DBGridC;
};

ControlliCanc controlliCanc(QWidget* w);

} // namespace testing_support
