#include "people/ui/group_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/texts.h"
#include "storage/lookups.h"
#include "storage/ui/layouts.h"

namespace horalog {

namespace {

constexpr GroupField kTimeFields[8] = {
    GroupField::WdFrom1,  GroupField::WdTo1,  GroupField::WdFrom2,  GroupField::WdTo2,
    GroupField::SatFrom1, GroupField::SatTo1, GroupField::SatFrom2, GroupField::SatTo2};

QTimeEdit* TimeBox(QWidget* parent, DateTime t) {
    auto* box = new QTimeEdit(parent);
    box->setDisplayFormat("HH:mm");
    box->setTime(t.time());
    return box;
}

DateTime TimeOf(const QTimeEdit* box) {
    const QTime t = box->time();
    return EncodeTime(t.hour(), t.minute(), 0);
}

QPushButton* Button(const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    return b;
}

QTableView* Grid(QAbstractItemModel* model, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    return grid;
}

}  // namespace

GroupChoice FillGroupChoice(QComboBox* box, Connection& src, int groupId) {
    GroupChoice choice = GroupChoices(src, groupId);
    box->clear();
    box->addItems(choice.names);
    box->setCurrentIndex(choice.selected);
    return choice;
}

// ---- Work Group Information ----

TDlgGrpDef::TDlgGrpDef(Connection& src, const WorkGroup& group, Messages& messages, QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages), group_(group) {
    setWindowTitle("Work Group Information");
    auto* layout = new QVBoxLayout(this);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel("Group name", this));
    edName_ = new QLineEdit(group.descx, this);
    edName_->setMaxLength(kGroupNameMaxLength);
    // Typed text is forced to upper case where it is typed.
    connect(edName_, &QLineEdit::textEdited, this, [this](const QString& typed) {
        const int pos = edName_->cursorPosition();
        edName_->setText(GroupNameInput(typed));
        edName_->setCursorPosition(pos);
    });
    nameRow->addWidget(edName_);
    layout->addLayout(nameRow);

    const DateTime values[8] = {group.wd_from_1,  group.wd_to_1,  group.wd_from_2,  group.wd_to_2,
                                group.sat_from_1, group.sat_to_1, group.sat_from_2, group.sat_to_2};
    for (int i = 0; i < 8; ++i) times_[i] = TimeBox(this, values[i]);

    auto* hours = new QGroupBox("Working Hours", this);
    auto* hoursLayout = new QVBoxLayout(hours);
    auto* standard = new QGroupBox("Standard Time", hours);
    auto* sg = new QGridLayout(standard);
    auto* saturday = new QGroupBox("Saturday", hours);
    auto* satg = new QGridLayout(saturday);
    cbSat1_ = new QCheckBox(saturday);
    cbSat1_->setChecked(group.sat_enable_1);
    cbSat2_ = new QCheckBox(saturday);
    cbSat2_->setChecked(group.sat_enable_2);
    for (int s = 0; s < 2; ++s) {
        sg->addWidget(new QLabel(QString("Session %1").arg(s + 1), standard), s, 0);
        sg->addWidget(times_[2 * s], s, 1);
        sg->addWidget(new QLabel("to", standard), s, 2);
        sg->addWidget(times_[2 * s + 1], s, 3);
        satg->addWidget(s == 0 ? cbSat1_ : cbSat2_, s, 0);
        satg->addWidget(new QLabel(QString("Session %1").arg(s + 1), saturday), s, 1);
        satg->addWidget(times_[4 + 2 * s], s, 2);
        satg->addWidget(new QLabel("to", saturday), s, 3);
        satg->addWidget(times_[4 + 2 * s + 1], s, 4);
    }
    hoursLayout->addWidget(standard);
    hoursLayout->addWidget(saturday);
    layout->addWidget(hours);

    auto* overtime = new QGroupBox("Overtime Options", this);
    auto* og = new QGridLayout(overtime);
    spOtMin_ = new QSpinBox(overtime);
    spOtMin_->setRange(0, kOtMinMax);
    spOtMin_->setValue(group.ot_min);
    spOtMulti_ = new QSpinBox(overtime);
    spOtMulti_->setRange(0, kOtMultiMax);
    spOtMulti_->setValue(group.ot_multi);
    og->addWidget(new QLabel("Min. O.T.", overtime), 0, 0);
    og->addWidget(spOtMin_, 0, 1);
    og->addWidget(new QLabel("Minutes", overtime), 0, 2);
    og->addWidget(new QLabel("O.T. Multiple", overtime), 1, 0);
    og->addWidget(spOtMulti_, 1, 1);
    og->addWidget(new QLabel("Minutes", overtime), 1, 2);
    layout->addWidget(overtime);

    auto* buttons = new QHBoxLayout;
    bConfirm_ = new QPushButton("Confirm", this);
    bConfirm_->setDefault(true);
    auto* bCancel = new QPushButton("Cancel", this);
    buttons->addStretch();
    buttons->addWidget(bConfirm_);
    buttons->addWidget(bCancel);
    layout->addLayout(buttons);
    connect(bConfirm_, &QPushButton::clicked, this, &TDlgGrpDef::confirm);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QTimeEdit* TDlgGrpDef::timeBox(GroupField f) const {
    for (int i = 0; i < 8; ++i)
        if (kTimeFields[i] == f) return times_[i];
    return nullptr;
}

QWidget* TDlgGrpDef::field(GroupField f) const {
    switch (f) {
        case GroupField::Name:
            return edName_;
        case GroupField::SatEnable1:
            return cbSat1_;
        case GroupField::SatEnable2:
            return cbSat2_;
        case GroupField::OtMin:
            return spOtMin_;
        case GroupField::OtMulti:
            return spOtMulti_;
        default:
            return timeBox(f);
    }
}

WorkGroup TDlgGrpDef::fromFields() const {
    WorkGroup g = group_;
    g.descx = edName_->text();
    DateTime* targets[8] = {&g.wd_from_1,  &g.wd_to_1,  &g.wd_from_2,  &g.wd_to_2,
                            &g.sat_from_1, &g.sat_to_1, &g.sat_from_2, &g.sat_to_2};
    for (int i = 0; i < 8; ++i) *targets[i] = TimeOf(times_[i]);
    g.sat_enable_1 = cbSat1_->isChecked();
    g.sat_enable_2 = cbSat2_->isChecked();
    g.ot_min = spOtMin_->value();
    g.ot_multi = spOtMulti_->value();
    return g;
}

void TDlgGrpDef::confirm() {
    WorkGroup g = fromFields();
    const auto check = ConfirmGroupInput(
        g, [this](const QString& name) { return GroupIdOf(src_, name) > 0; }, messages_);
    edName_->setText(g.descx);
    if (!check.ok) {
        if (QWidget* w = field(check.focus)) w->setFocus();
        if (!check.message.isEmpty()) messages_.error(check.message);
        return;
    }
    group_ = g;
    accept();
}

// ---- Group List ----

namespace {
const char* kGroupTitles[] = {"Workgroup", "From", "To",   "From", "To",      "Sat1",     "From",
                              "To",        "Sat2", "From", "To",   "OT Min.", "OT Multi."};
}

GroupListModel::GroupListModel(Connection& src, QObject* parent)
    : QAbstractTableModel(parent), src_(src) {
    reload();
}

void GroupListModel::reload() {
    beginResetModel();
    groups_ = GroupsById(src_);
    endResetModel();
}

int GroupListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(groups_.size());
}

int GroupListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 13;
}

QVariant GroupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(groups_.size())) return {};
    const WorkGroup& g = groups_[std::size_t(index.row())];
    const int c = index.column();
    if (c == 5 || c == 8) {
        if (role != Qt::CheckStateRole) return {};
        return (c == 5 ? g.sat_enable_1 : g.sat_enable_2) ? Qt::Checked : Qt::Unchecked;
    }
    if (role != Qt::DisplayRole) return {};
    switch (c) {
        case 0:
            return g.descx;
        case 1:
            return GroupListTime(g.wd_from_1);
        case 2:
            return GroupListTime(g.wd_to_1);
        case 3:
            return GroupListTime(g.wd_from_2);
        case 4:
            return GroupListTime(g.wd_to_2);
        case 6:
            return GroupListTime(g.sat_from_1);
        case 7:
            return GroupListTime(g.sat_to_1);
        case 9:
            return GroupListTime(g.sat_from_2);
        case 10:
            return GroupListTime(g.sat_to_2);
        case 11:
            return g.ot_min;
        case 12:
            return g.ot_multi;
        default:
            return {};
    }
}

QVariant GroupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= 13) return {};
    if (role == Qt::DisplayRole) return QString(kGroupTitles[section]);
    if (role == kFieldKindRole) {
        if (section == 0) return int(FieldKind::Text);
        if (section == 5 || section == 8) return int(FieldKind::Boolean);
        if (section >= 11) return int(FieldKind::Other);
        return int(FieldKind::DateTime);
    }
    return {};
}

TDlgGrpList::TDlgGrpList(Connection& src, Messages& messages, QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages) {
    setWindowTitle("Group List");
    model_ = new GroupListModel(src, this);
    grid_ = Grid(model_, this);
    grid_->setToolTip("Double click to edit the record.");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    auto* buttons = new QHBoxLayout;
    auto* bNew = Button("New", "Add a new group.", this);
    auto* bEdit = Button("Edit", "Edit the record.", this);
    auto* bDelete = Button("Delete", "Delete the record.", this);
    auto* bClose = Button("Close", "Exit to main window.", this);
    for (auto* b : {bNew, bEdit, bDelete}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(bClose);
    layout->addLayout(buttons);
    connect(bNew, &QPushButton::clicked, this, &TDlgGrpList::newGroup);
    connect(bEdit, &QPushButton::clicked, this, &TDlgGrpList::editGroup);
    connect(grid_, &QTableView::doubleClicked, this, &TDlgGrpList::editGroup);
    connect(bDelete, &QPushButton::clicked, this, &TDlgGrpList::deleteGroup);
    connect(bClose, &QPushButton::clicked, this, &TDlgGrpList::closeList);
    LoadFormLayout("WrkGrpMain", this);
    LoadGridLayout("WrkGrpList", grid_);
    if (model_->rowCount() > 0) grid_->selectRow(0);
}

int TDlgGrpList::currentId() const {
    const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
    if (row >= model_->rowCount()) return 0;
    return model_->groups()[std::size_t(row)].id;
}

void TDlgGrpList::runEditor(const WorkGroup& initial) {
    TDlgGrpDef editor(src_, initial, messages_, this);
    if (editor.exec() != QDialog::Accepted) return;
    const int id = StoreGroup(src_, editor.group(), messages_);
    model_->reload();
    for (int r = 0; r < model_->rowCount(); ++r)
        if (model_->groups()[std::size_t(r)].id == id) grid_->selectRow(r);
}

void TDlgGrpList::newGroup() {
    runEditor(NewWorkGroup());
}

void TDlgGrpList::editGroup() {
    if (model_->rowCount() == 0) {
        messages_.error(text::kNoDataRecord);
        return;
    }
    const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
    runEditor(model_->groups()[std::size_t(row)]);
}

void TDlgGrpList::deleteGroup() {
    if (DeleteGroup(src_, model_->rowCount() > 0 ? currentId() : 0, messages_)) {
        model_->reload();
        if (model_->rowCount() > 0) grid_->selectRow(0);
    }
}

void TDlgGrpList::closeList() {
    SaveFormLayout("WrkGrpMain", this);
    SaveGridLayout("WrkGrpList", grid_);
    accept();
}

// ---- Time Table ----

TimetableModel::TimetableModel(Connection& src, QObject* parent)
    : QAbstractTableModel(parent), src_(src) {}

void TimetableModel::show(int gid) {
    beginResetModel();
    gid_ = gid;
    rows_ = TimetableOf(src_, gid);
    endResetModel();
}

int TimetableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TimetableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TimetableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= int(rows_.size())) return {};
    const TimePeriod& p = rows_[std::size_t(index.row())].period;
    return TimetableTime(index.column() == 0 ? p.from : p.to);
}

QVariant TimetableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 1) return {};
    if (role == Qt::DisplayRole) return QString(section == 0 ? "IN Time" : "OUT Time");
    if (role == kFieldKindRole) return int(FieldKind::DateTime);
    return {};
}

TFmTimeTbl::TFmTimeTbl(Connection& src, Messages& messages, QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages) {
    setWindowTitle("Time Table");
    auto* layout = new QVBoxLayout(this);
    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(new QLabel("Group", this));
    cbGroup_ = new QComboBox(this);
    groupRow->addWidget(cbGroup_, 1);
    layout->addLayout(groupRow);

    auto* list = new QGroupBox("Time Attendance List", this);
    auto* listLayout = new QVBoxLayout(list);
    model_ = new TimetableModel(src, this);
    grid_ = Grid(model_, list);
    listLayout->addWidget(grid_);
    layout->addWidget(list);

    auto* period = new QGroupBox("Time Period", this);
    auto* pl = new QHBoxLayout(period);
    edIn_ = TimeBox(period, EncodeTime(9, 0, 0));
    edOut_ = TimeBox(period, EncodeTime(14, 0, 0));
    pl->addWidget(new QLabel("IN", period));
    pl->addWidget(edIn_);
    pl->addWidget(new QLabel("OUT", period));
    pl->addWidget(edOut_);
    layout->addWidget(period);

    auto* buttons = new QHBoxLayout;
    auto* bAdd = Button("Add ", "Add the IN Time Period to the Time List.", this);
    auto* bDelete = Button("Delete", "Remove record from Time List.", this);
    auto* bClose = Button("Close", "Return to main program.", this);
    buttons->addWidget(bAdd);
    buttons->addWidget(bDelete);
    buttons->addStretch();
    buttons->addWidget(bClose);
    layout->addLayout(buttons);

    connect(bAdd, &QPushButton::clicked, this, &TFmTimeTbl::addPeriod);
    connect(bDelete, &QPushButton::clicked, this, &TFmTimeTbl::deletePeriod);
    connect(bClose, &QPushButton::clicked, this, &TFmTimeTbl::closeTable);
    connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (!index.isValid() || index.row() >= int(model_->rows().size())) return;
        const TimePeriod& p = model_->rows()[std::size_t(index.row())].period;
        edIn_->setTime(p.from.time());
        edOut_->setTime(p.to.time());
    });

    FillGroupChoice(cbGroup_, src, 0);
    model_->show(groupId());
    connect(cbGroup_, &QComboBox::currentIndexChanged, this, [this] { model_->show(groupId()); });
    LoadFormLayout("TimeTable", this);
    LoadGridLayout("TimeTblGrid", grid_);
}

int TFmTimeTbl::groupId() const {
    return GroupIdOf(src_, cbGroup_->currentText());
}

void TFmTimeTbl::addPeriod() {
    const auto check = AddTimetablePeriod(src_, groupId(), {TimeOf(edIn_), TimeOf(edOut_)});
    if (!check.ok) {
        edIn_->setFocus();
        messages_.error(check.message);
        return;
    }
    model_->show(groupId());
}

void TFmTimeTbl::deletePeriod() {
    std::optional<qint64> id;
    if (!model_->rows().empty()) {
        const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
        id = model_->rows()[std::size_t(row)].id;
    }
    if (DeleteTimetablePeriod(src_, id, messages_)) model_->show(groupId());
}

void TFmTimeTbl::closeTable() {
    SaveFormLayout("TimeTable", this);
    SaveGridLayout("TimeTblGrid", grid_);
    accept();
}

}  // namespace horalog
