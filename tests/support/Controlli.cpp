#include "Controlli.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace testing_support {

ControlliCanc controlliCanc(QWidget* w)
{
    return {trova<QLabel>(w, "Label1"),          trova<QCheckBox>(w, "cbNome"),
            trova<QCheckBox>(w, "cbCognome"),    trova<QCheckBox>(w, "cbNumero"),
            trova<QCheckBox>(w, "cbMail"),       trova<QCheckBox>(w, "cbNascondi"),
            trova<QLineEdit>(w, "EDTnome"),      trova<QLineEdit>(w, "EDTcognome"),
            trova<QLineEdit>(w, "EDTnumero"),    trova<QLineEdit>(w, "EDTmail"),
            trova<QPushButton>(w, "BBricerca"),  trova<QPushButton>(w, "BBedita"),
            trova<QPushButton>(w, "BBcancella"), trova<QPushButton>(w, "BUTIMMback"),
            trova<QPushButton>(w, "btInvia"),    trova<QLabel>(w, "LabTrovati"),
            trova<QGroupBox>(w, "GroupBox1"),    trova<QTableView>(w, "DBGridC")};
}

} // namespace testing_support
