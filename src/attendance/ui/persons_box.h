#pragma once
// "Persons of interest": All, Group with the group list, List with "Pick List". One widget that
// every scope dialog, the card dialogs and the member list embed.

#include <QGroupBox>

#include "attendance/report_parameters.h"
#include "storage/database.h"

class QComboBox;
class QPushButton;
class QRadioButton;

namespace horalog {

class TPersonsBox : public QGroupBox {
    Q_OBJECT
public:
    // Fills the group list (group 0: its first name is selected); "All" is chosen.
    TPersonsBox(Connection& src, QWidget* parent = nullptr);

    PersonsChoice persons() const;
    void setPersons(PersonsChoice choice);
    // The chosen group's name (the current item of the group list).
    QString groupName() const;
    // The persons choice and group name into p.
    void apply(ReportParameters& p) const;

    QRadioButton* allButton() const { return rballstaff_; }
    QRadioButton* groupButton() const { return rbgroup_; }
    QRadioButton* listButton() const { return rbstaff_; }
    QComboBox* groupList() const { return cbgroup_; }
    QPushButton* pickListButton() const { return bAdd_; }

signals:
    // "Group" chosen or a group clicked in the list: the late dialogs load its hours.
    void groupChosen(const QString& name);

private:
    void update();

    Connection& src_;
    QRadioButton* rballstaff_;
    QRadioButton* rbgroup_;
    QRadioButton* rbstaff_;
    QComboBox* cbgroup_;
    QPushButton* bAdd_;
};

}  // namespace horalog
