#include "attendance/ui/persons_box.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>

#include "people/ui/group_dialogs.h"
#include "attendance/ui/pick_list_dialog.h"

namespace horalog {

TPersonsBox::TPersonsBox(Connection& src, QWidget* parent)
    : QGroupBox("Persons of interest", parent), src_(src) {
    setObjectName("gbPersons");
    rballstaff_ = new QRadioButton("All", this);
    rballstaff_->setObjectName("rballstaff");
    rbgroup_ = new QRadioButton("Group", this);
    rbgroup_->setObjectName("rbgroup");
    rbstaff_ = new QRadioButton("List", this);
    rbstaff_->setObjectName("rbstaff");
    cbgroup_ = new QComboBox(this);
    cbgroup_->setObjectName("cbgroup");
    cbgroup_->setMinimumWidth(140);
    bAdd_ = new QPushButton("Pick List", this);
    bAdd_->setObjectName("bAdd");
    auto* grid = new QGridLayout(this);
    grid->addWidget(rballstaff_, 0, 0);
    grid->addWidget(rbgroup_, 1, 0);
    grid->addWidget(cbgroup_, 1, 1);
    grid->addWidget(rbstaff_, 2, 0);
    grid->addWidget(bAdd_, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    FillGroupChoice(cbgroup_, src_, 0);
    rballstaff_->setChecked(true);
    update();

    for (QRadioButton* b : {rballstaff_, rbgroup_, rbstaff_})
        connect(b, &QRadioButton::toggled, this, [this] { update(); });
    connect(rbgroup_, &QRadioButton::clicked, this, [this] { emit groupChosen(groupName()); });
    connect(cbgroup_, &QComboBox::activated, this, [this] { emit groupChosen(groupName()); });
    connect(bAdd_, &QPushButton::clicked, this, [this] {
        TPickList pick(src_, this);
        pick.exec();
    });
}

PersonsChoice TPersonsBox::persons() const {
    if (rbgroup_->isChecked()) return PersonsChoice::Group;
    if (rbstaff_->isChecked()) return PersonsChoice::List;
    return PersonsChoice::All;
}

void TPersonsBox::setPersons(PersonsChoice choice) {
    switch (choice) {
        case PersonsChoice::Group:
            rbgroup_->setChecked(true);
            break;
        case PersonsChoice::List:
            rbstaff_->setChecked(true);
            break;
        default:
            rballstaff_->setChecked(true);
    }
    update();
}

QString TPersonsBox::groupName() const {
    return cbgroup_->currentText();
}

void TPersonsBox::apply(ReportParameters& p) const {
    p.persons = persons();
    p.groupName = groupName();
}

void TPersonsBox::update() {
    cbgroup_->setEnabled(rbgroup_->isChecked());
    bAdd_->setEnabled(rbstaff_->isChecked());
}

}  // namespace horalog
