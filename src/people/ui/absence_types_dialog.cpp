#include "people/ui/absence_types_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ports.h"
#include "storage/ui/layouts.h"

namespace horalog {

TAbsenceTypes::TAbsenceTypes(Connection& src, Messages& messages, QWidget* parent)
    : QDialog(parent), store_(src), messages_(messages) {
    setWindowTitle("Absence Types");
    auto* layout = new QVBoxLayout(this);
    list_ = new QTableWidget(0, 4, this);
    list_->setObjectName("lvTypes");
    list_->setHorizontalHeaderLabels({"Code", "Name", "Paid", "Colour"});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(list_, 1);

    auto* form = new QFormLayout;
    edCode_ = new QLineEdit(this);
    edCode_->setObjectName("edCode");
    edCode_->setMaxLength(1);
    edCode_->setMaximumWidth(40);
    edCode_->setToolTip("One capital letter; H stands for the holidays.");
    edName_ = new QLineEdit(this);
    edName_->setObjectName("edName");
    edName_->setMaxLength(30);
    cbPaid_ = new QCheckBox("Paid time", this);
    cbPaid_->setObjectName("cbPaid");
    auto* hoursRow = new QHBoxLayout;
    cbHours_ = new QComboBox(this);
    cbHours_->setObjectName("cbHours");
    cbHours_->addItems({"The group's hours of the weekday", "A fixed number of hours"});
    spHours_ = new QDoubleSpinBox(this);
    spHours_->setObjectName("spHours");
    spHours_->setRange(0, 24);
    spHours_->setDecimals(2);
    spHours_->setSuffix(" h");
    hoursRow->addWidget(cbHours_, 1);
    hoursRow->addWidget(spHours_);
    auto* colourRow = new QHBoxLayout;
    edColour_ = new QLineEdit(this);
    edColour_->setObjectName("edColour");
    edColour_->setPlaceholderText("#rrggbb");
    edColour_->setMaximumWidth(100);
    auto* bColour = new QPushButton("Choose...", this);
    colourRow->addWidget(edColour_);
    colourRow->addWidget(bColour);
    colourRow->addStretch();
    form->addRow("Code", edCode_);
    form->addRow("Name", edName_);
    form->addRow("", cbPaid_);
    form->addRow("Hours of a day", hoursRow);
    form->addRow("Colour", colourRow);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    auto* bNew = new QPushButton("New", this);
    bNew->setObjectName("bNew");
    auto* bSave = new QPushButton("Save", this);
    bSave->setObjectName("bSave");
    bSave->setDefault(true);
    auto* bDelete = new QPushButton("Delete", this);
    bDelete->setObjectName("bDelete");
    auto* bClose = new QPushButton("Close", this);
    for (auto* b : {bNew, bSave, bDelete}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(bClose);
    layout->addLayout(buttons);

    auto paidChanged = [this] {
        cbHours_->setEnabled(cbPaid_->isChecked());
        spHours_->setEnabled(cbPaid_->isChecked() && cbHours_->currentIndex() == 1);
    };
    connect(cbPaid_, &QCheckBox::toggled, this, paidChanged);
    connect(cbHours_, &QComboBox::currentIndexChanged, this, paidChanged);
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row) { showType(row); });
    connect(bNew, &QPushButton::clicked, this, [this] {
        list_->clearSelection();
        showType(-1);
        edCode_->setFocus();
    });
    connect(bColour, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(QColor(edColour_->text()), this);
        if (c.isValid()) edColour_->setText(c.name());
    });
    connect(bSave, &QPushButton::clicked, this, &TAbsenceTypes::save);
    connect(bDelete, &QPushButton::clicked, this, &TAbsenceTypes::deleteType);
    connect(bClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(this, &QDialog::finished, this, [this] { SaveFormLayout("AbsenceTypesForm", this); });

    reload();
    paidChanged();
    LoadFormLayout("AbsenceTypesForm", this, QSize(520, 460));
}

void TAbsenceTypes::reload(const QString& select) {
    try {
        types_ = store_.types();
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    list_->setRowCount(int(types_.size()));
    int selected = types_.empty() ? -1 : 0;
    for (int r = 0; r < int(types_.size()); ++r) {
        const AbsenceType& t = types_[std::size_t(r)];
        QString paid = "no";
        if (t.paid) paid = t.hours < 0 ? "group hours" : QString::number(t.hours) + " h";
        const QStringList cells{t.code, t.name, paid, t.colour};
        for (int c = 0; c < cells.size(); ++c) list_->setItem(r, c, new QTableWidgetItem(cells[c]));
        list_->item(r, 3)->setBackground(QColor(t.colour));
        if (t.code == select) selected = r;
    }
    list_->resizeColumnsToContents();
    list_->setCurrentCell(selected, 0);
    showType(selected);
}

void TAbsenceTypes::showType(int row) {
    AbsenceType t{QString(), QString(), false, -1, "#999999"};
    if (row >= 0 && row < int(types_.size())) t = types_[std::size_t(row)];
    edCode_->setText(t.code);
    edCode_->setReadOnly(row >= 0);  // the code is the type's identity
    edName_->setText(t.name);
    cbPaid_->setChecked(t.paid);
    cbHours_->setCurrentIndex(t.hours < 0 ? 0 : 1);
    spHours_->setValue(t.hours < 0 ? 8 : t.hours);
    edColour_->setText(t.colour);
}

AbsenceType TAbsenceTypes::edited() const {
    AbsenceType t;
    t.code = edCode_->text().trimmed().toUpper();
    t.name = edName_->text().trimmed();
    t.paid = cbPaid_->isChecked();
    t.hours = t.paid && cbHours_->currentIndex() == 1 ? spHours_->value() : -1;
    t.colour = edColour_->text().trimmed();
    return t;
}

void TAbsenceTypes::save() {
    const AbsenceType t = edited();
    try {
        store_.saveType(t);
        reload(t.code);
    } catch (const AbsenceRefused& r) {
        messages_.error(r.message);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

void TAbsenceTypes::deleteType() {
    const int row = list_->currentRow();
    if (row < 0 || row >= int(types_.size())) return;
    const AbsenceType t = types_[std::size_t(row)];
    if (!messages_.confirm(QString("Delete the absence type %1 %2?").arg(t.code, t.name))) return;
    try {
        store_.deleteType(t.code);
        reload();
    } catch (const AbsenceRefused& r) {
        messages_.error(r.message);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

}  // namespace horalog
