#include "attendance/ui/scope_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/texts.h"
#include "people/group_store.h"
#include "attendance/ui/persons_box.h"
#include "storage/lookups.h"

namespace horalog {

namespace {

constexpr const char* kPickerFormat = "MMMM d, yyyy dddd";

struct RadioGroup {
    QGroupBox* box;
    QButtonGroup* group;
};

// A titled group of radio buttons numbered from 0, laid out in columns.
RadioGroup MakeRadioGroup(const QString& title, const QStringList& items, int columns,
                          QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* group = new QButtonGroup(box);
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        group->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    return {box, group};
}

QStringList FormatItems() {
    QStringList items;
    for (const char* f : kRecordFormats) items << f;
    return items;
}

void Check(QButtonGroup* group, int id) {
    if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

QDateTimeEdit* MakePicker(DateTime now, QWidget* parent) {
    auto* picker = new QDateTimeEdit(now.toQDateTime(), parent);
    picker->setDisplayFormat(kPickerFormat);
    picker->setCalendarPopup(true);
    picker->setMinimumWidth(230);
    return picker;
}

QTimeEdit* MakeTime(QWidget* parent) {
    auto* t = new QTimeEdit(parent);
    t->setDisplayFormat("HH:mm");
    return t;
}

QSpinBox* MakeMinutes(const QString& hint, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setRange(0, 999);
    s->setSuffix(" Minutes");
    s->setToolTip(hint);
    return s;
}

DateTime TimeOf(const QTimeEdit* t) {
    const QTime q = t->time();
    return EncodeTime(q.hour(), q.minute(), q.second());
}

void SetTime(QTimeEdit* t, DateTime v) {
    t->setTime(v.toQDateTime().time());
}

// The three overtime fields of both late dialogs.
void AddOvertimeRows(QFormLayout* form, QSpinBox*& min, QSpinBox*& multi, QSpinBox*& free,
                     QWidget* parent) {
    min = MakeMinutes("Minimum OT time to start counting as OT", parent);
    multi = MakeMinutes("OT time must be in multiple of the value", parent);
    free = MakeMinutes("OT time that will be deducted from the actual OT", parent);
    form->addRow("Min. O.T.", min);
    form->addRow("O.T. Multiple", multi);
    form->addRow("No pay O.T.", free);
}

OvertimeOptions OvertimeOf(const QSpinBox* min, const QSpinBox* multi, const QSpinBox* free) {
    return {min->value(), multi->value(), free->value()};
}

void SetOvertime(const OvertimeOptions& o, QSpinBox* min, QSpinBox* multi, QSpinBox* free) {
    min->setValue(o.minimum);
    multi->setValue(o.multiple);
    free->setValue(o.noPay);
}

// The group row of a name: the first by ID when two share it.
std::optional<WorkGroup> GroupNamed(Connection& src, const QString& name) {
    const int id = GroupIdOf(src, name);
    if (id == 0) return std::nullopt;
    return LoadGroup(src, id);
}

QHBoxLayout* ButtonRow(QPushButton*& confirm, QPushButton*& cancel, QDialog* dialog) {
    confirm = new QPushButton("Confirm", dialog);
    confirm->setDefault(true);
    cancel = new QPushButton("Cancel", dialog);
    cancel->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(confirm);
    row->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

}  // namespace

// ---- TScopeDialog ----

TScopeDialog::TScopeDialog(ScopeDialog kind, Connection& src, Messages& messages, DateTime now,
                           QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages), kind_(kind) {
    setWindowTitle("Report Scope");
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    persons_ = new TPersonsBox(src, this);
    left->addWidget(persons_);

    gbDates_ = new QGroupBox("Dates of interest", this);
    period_ = new QButtonGroup(gbDates_);
    auto* dates = new QGridLayout(gbDates_);
    const char* periods[] = {"This Week", "Last Week", "This Month", "Last Month", "All", "Range"};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(periods[i], gbDates_);
        period_->addButton(b, i);
        dates->addWidget(b, i / 2, i % 2);
    }
    dtFrom_ = MakePicker(now, gbDates_);
    dtTo_ = MakePicker(now, gbDates_);
    dates->addWidget(new QLabel("From", gbDates_), 3, 0);
    dates->addWidget(dtFrom_, 3, 1);
    dates->addWidget(new QLabel("To", gbDates_), 4, 0);
    dates->addWidget(dtTo_, 4, 1);
    left->addWidget(gbDates_);
    left->addStretch(1);

    auto records = MakeRadioGroup("Records of interest", {"ALL", "CLOCK", "IN/OUT"}, 3, this);
    gbRecords_ = records.box;
    records_ = records.group;
    right->addWidget(gbRecords_);
    if (kind == ScopeDialog::Scope) {
        auto perLine = MakeRadioGroup("Records per line", {"2", "4", "6", "8"}, 4, this);
        gbPerLine_ = perLine.box;
        perLine_ = perLine.group;
        right->addWidget(gbPerLine_);
    }
    auto format = MakeRadioGroup("Record format", FormatItems(), 2, this);
    gbFormat_ = format.box;
    format_ = format.group;
    right->addWidget(gbFormat_);

    auto* options = new QGroupBox("Options", this);
    auto* optionRows = new QVBoxLayout(options);
    cbBlank_ = new QCheckBox("Print blank lines", options);
    cbNewPage_ = new QCheckBox("New page on each person", options);
    cbEnhance_ = new QCheckBox("Enhanced Printing", options);
    cbPreview_ = new QCheckBox("Preview Only", options);
    cbFilo_ = new QCheckBox("First In and Last Out Only", options);
    cbFilo_->hide();
    for (QCheckBox* c : {cbBlank_, cbNewPage_, cbEnhance_, cbPreview_, cbFilo_})
        optionRows->addWidget(c);
    right->addWidget(options);
    extraColumn_ = new QWidget(this);
    auto* extra = new QVBoxLayout(extraColumn_);
    extra->setContentsMargins(0, 0, 0, 0);
    right->addWidget(extraColumn_);
    right->addStretch(1);

    outer->addLayout(ButtonRow(bConfirm_, bCancel_, this));

    // Restore: the period (an unknown value keeps "This Week"), records, format, options.
    const ReportParameters p = LoadScopeSettings(kind);
    Check(period_, int(p.period));
    Check(records_, int(p.records));
    Check(format_, p.recordFormat);
    if (perLine_) Check(perLine_, p.recordsPerLine / 2 - 1);
    cbBlank_->setChecked(p.blankLines);
    cbNewPage_->setChecked(p.newPage);
    cbEnhance_->setChecked(p.enhanced);
    cbPreview_->setChecked(p.previewOnly);
    cbFilo_->setChecked(p.firstInLastOutOnly);
    updatePickers();

    connect(period_, &QButtonGroup::idToggled, this, [this] { updatePickers(); });
    connect(bConfirm_, &QPushButton::clicked, this, [this] { confirm(); });
}

void TScopeDialog::updatePickers() {
    const bool range = period_->checkedId() == int(PeriodChoice::Range);
    dtFrom_->setEnabled(range);
    dtTo_->setEnabled(range);
}

ReportParameters TScopeDialog::parameters() const {
    ReportParameters p;
    persons_->apply(p);
    p.period = PeriodChoice(std::max(0, period_->checkedId()));
    p.rangeFrom = DateTime::fromQDateTime(dtFrom_->dateTime());
    p.rangeTo = DateTime::fromQDateTime(dtTo_->dateTime());
    p.records = RecordsOfInterest(std::max(0, records_->checkedId()));
    p.recordFormat = std::max(0, format_->checkedId());
    if (perLine_) p.recordsPerLine = std::max(0, perLine_->checkedId()) * 2 + 2;
    p.blankLines = cbBlank_->isChecked();
    p.newPage = cbNewPage_->isChecked();
    p.enhanced = cbEnhance_->isChecked();
    p.previewOnly = cbPreview_->isChecked();
    p.firstInLastOutOnly = cbFilo_->isChecked();
    return p;
}

QWidget* TScopeDialog::control(ScopeControl c) const {
    switch (c) {
        case ScopeControl::Persons:
            return persons_;
        case ScopeControl::Dates:
            return gbDates_;
        case ScopeControl::RecordsOfInterest:
            return gbRecords_;
        case ScopeControl::RecordsPerLine:
            return gbPerLine_;
        case ScopeControl::RecordFormat:
            return gbFormat_;
        case ScopeControl::BlankLines:
            return cbBlank_;
        case ScopeControl::NewPage:
            return cbNewPage_;
        case ScopeControl::Enhanced:
            return cbEnhance_;
        case ScopeControl::PreviewOnly:
            return cbPreview_;
    }
    return nullptr;
}

void TScopeDialog::hideControl(ScopeControl c) {
    if (QWidget* w = control(c)) w->hide();
}

void TScopeDialog::setFirstInLastOutOnly(bool on) {
    cbFilo_->setChecked(on);
}

QAbstractButton* TScopeDialog::periodButton(PeriodChoice choice) const {
    return period_->button(int(choice));
}

QAbstractButton* TScopeDialog::recordsButton(RecordsOfInterest r) const {
    return records_->button(int(r));
}

QAbstractButton* TScopeDialog::formatButton(int index) const {
    return format_->button(index);
}

QAbstractButton* TScopeDialog::perLineButton(int perLine) const {
    return perLine_ ? perLine_->button(perLine / 2 - 1) : nullptr;
}

QCheckBox* TScopeDialog::optionBox(ScopeControl option) const {
    return qobject_cast<QCheckBox*>(control(option));
}

bool TScopeDialog::refuse(QWidget* focus) {
    if (focus) focus->setFocus(Qt::OtherFocusReason);
    messages_.error(text::kInvalidInput);
    return false;
}

void TScopeDialog::confirm() {
    if (!check()) return;
    StoreScopeSettings(kind_, parameters());
    storeExtra();
    accept();
}

// ---- TSetScope ----

TSetScope::TSetScope(Connection& src, Messages& messages, DateTime now, QWidget* parent)
    : TScopeDialog(ScopeDialog::Scope, src, messages, now, parent) {
    setObjectName("TSetScope");
}

// ---- TSetLateScope ----

TSetLateScope::TSetLateScope(Connection& src, Messages& messages, DateTime now, QWidget* parent)
    : TScopeDialog(ScopeDialog::LateScope, src, messages, now, parent) {
    setObjectName("TSetLateScope");
    gbHours_ = new QGroupBox("Working Hours", extraColumn_);
    auto* form = new QFormLayout(gbHours_);
    stdStart_ = MakeTime(gbHours_);
    stdEnd_ = MakeTime(gbHours_);
    satEnable_ = new QCheckBox("Saturday", gbHours_);
    satStart_ = MakeTime(gbHours_);
    satEnd_ = MakeTime(gbHours_);
    auto* stdRow = new QHBoxLayout;
    stdRow->addWidget(stdStart_);
    stdRow->addWidget(stdEnd_);
    form->addRow("Standard Time", stdRow);
    auto* satRow = new QHBoxLayout;
    satRow->addWidget(satStart_);
    satRow->addWidget(satEnd_);
    form->addRow(satEnable_, satRow);
    AddOvertimeRows(form, otMin_, otMulti_, otFree_, gbHours_);
    extraColumn_->layout()->addWidget(gbHours_);
    // Kept, checked and stored, never shown: the reports take the hours from each group.
    gbHours_->hide();

    setHours(LoadLateScopeHours());
    personsBox()->setPersons(LoadScopeSettings(ScopeDialog::LateScope).persons);
    connect(personsBox(), &TPersonsBox::groupChosen, this,
            [this](const QString& name) { loadGroup(name); });
}

LateScopeHours TSetLateScope::hours() const {
    LateScopeHours h;
    h.stdStart = TimeOf(stdStart_);
    h.stdEnd = TimeOf(stdEnd_);
    h.satEnable = satEnable_->isChecked();
    h.satStart = TimeOf(satStart_);
    h.satEnd = TimeOf(satEnd_);
    h.overtime = OvertimeOf(otMin_, otMulti_, otFree_);
    return h;
}

void TSetLateScope::setHours(const LateScopeHours& h) {
    SetTime(stdStart_, h.stdStart);
    SetTime(stdEnd_, h.stdEnd);
    satEnable_->setChecked(h.satEnable);
    SetTime(satStart_, h.satStart);
    SetTime(satEnd_, h.satEnd);
    SetOvertime(h.overtime, otMin_, otMulti_, otFree_);
}

void TSetLateScope::loadGroup(const QString& name) {
    if (overnight_) return;
    if (auto g = GroupNamed(src_, name)) setHours(LateScopeHoursOf(*g, hours()));
}

bool TSetLateScope::check() {
    const ReportParameters p = parameters();
    refusedAt_ = CheckLateScope(p.rangeFrom, p.rangeTo, hours(), overnight_);
    switch (refusedAt_) {
        case ScopeField::None:
            return true;
        case ScopeField::From:
            return refuse(fromPicker());
        case ScopeField::SatStart:
            return refuse(satStart_);
        default:
            return refuse(stdStart_);
    }
}

void TSetLateScope::storeExtra() {
    StoreLateScopeHours(hours());
}

// ---- TSetnLateScope ----

TSetnLateScope::TSetnLateScope(Connection& src, Messages& messages, DateTime now, QWidget* parent)
    : TScopeDialog(ScopeDialog::TwoSessionScope, src, messages, now, parent) {
    setObjectName("TSetnLateScope");
    gbHours_ = new QGroupBox("Working Hours", extraColumn_);
    auto* form = new QFormLayout(gbHours_);
    for (auto& t : times_) t = MakeTime(gbHours_);
    sat1Enable_ = new QCheckBox("Saturday 1", gbHours_);
    sat2Enable_ = new QCheckBox("Saturday 2", gbHours_);
    auto pairRow = [&](int first) {
        auto* row = new QHBoxLayout;
        row->addWidget(times_[first]);
        row->addWidget(times_[first + 1]);
        return row;
    };
    form->addRow("Standard Time 1", pairRow(0));
    form->addRow("Standard Time 2", pairRow(2));
    form->addRow(sat1Enable_, pairRow(4));
    form->addRow(sat2Enable_, pairRow(6));
    AddOvertimeRows(form, otMin_, otMulti_, otFree_, gbHours_);
    extraColumn_->layout()->addWidget(gbHours_);
    gbHours_->hide();

    setHours(LoadTwoSessionScopeHours());
    personsBox()->setPersons(LoadScopeSettings(ScopeDialog::TwoSessionScope).persons);
    connect(personsBox(), &TPersonsBox::groupChosen, this,
            [this](const QString& name) { loadGroup(name); });
}

TwoSessionScopeHours TSetnLateScope::hours() const {
    TwoSessionScopeHours h;
    DateTime* fields[8] = {&h.std1Start, &h.std1End, &h.std2Start, &h.std2End,
                           &h.sat1Start, &h.sat1End, &h.sat2Start, &h.sat2End};
    for (int i = 0; i < 8; ++i) *fields[i] = TimeOf(times_[i]);
    h.sat1Enable = sat1Enable_->isChecked();
    h.sat2Enable = sat2Enable_->isChecked();
    h.overtime = OvertimeOf(otMin_, otMulti_, otFree_);
    return h;
}

void TSetnLateScope::setHours(const TwoSessionScopeHours& h) {
    const DateTime fields[8] = {h.std1Start, h.std1End, h.std2Start, h.std2End,
                                h.sat1Start, h.sat1End, h.sat2Start, h.sat2End};
    for (int i = 0; i < 8; ++i) SetTime(times_[i], fields[i]);
    sat1Enable_->setChecked(h.sat1Enable);
    sat2Enable_->setChecked(h.sat2Enable);
    SetOvertime(h.overtime, otMin_, otMulti_, otFree_);
}

void TSetnLateScope::loadGroup(const QString& name) {
    if (auto g = GroupNamed(src_, name)) setHours(TwoSessionScopeHoursOf(*g, hours()));
}

bool TSetnLateScope::check() {
    const ReportParameters p = parameters();
    refusedAt_ = CheckTwoSessionScope(p.rangeFrom, p.rangeTo, hours());
    switch (refusedAt_) {
        case ScopeField::None:
            return true;
        case ScopeField::From:
            return refuse(fromPicker());
        case ScopeField::Std2Start:
            return refuse(times_[2]);
        case ScopeField::Sat1Start:
            return refuse(times_[4]);
        case ScopeField::Sat1Enable:
            return refuse(sat1Enable_);
        case ScopeField::Sat2Start:
            return refuse(times_[6]);
        default:
            return refuse(times_[0]);
    }
}

void TSetnLateScope::storeExtra() {
    StoreTwoSessionScopeHours(hours());
}

// ---- Twhoscope ----

Twhoscope::Twhoscope(Connection& src, DateTime now, QWidget* parent) : QDialog(parent) {
    setObjectName("Twhoscope");
    setWindowTitle("Who's Status");
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto* day = new QGroupBox("Date of interest", this);
    dtDay_ = MakePicker(now, day);
    (new QVBoxLayout(day))->addWidget(dtDay_);
    left->addWidget(day);
    persons_ = new TPersonsBox(src, this);
    left->addWidget(persons_);
    left->addStretch(1);

    auto perLine = MakeRadioGroup("Records per line", {"2", "4", "6", "8"}, 4, this);
    gbPerLine_ = perLine.box;
    perLine_ = perLine.group;
    right->addWidget(gbPerLine_);
    auto format = MakeRadioGroup("Record format", FormatItems(), 2, this);
    format_ = format.group;
    right->addWidget(format.box);
    auto* options = new QGroupBox("Options", this);
    auto* rows = new QVBoxLayout(options);
    cbEnhance_ = new QCheckBox("Enhanced Printing", options);
    cbPreview_ = new QCheckBox("Preview Only", options);
    cbNewPage_ = new QCheckBox("New page on new category", options);
    cbFilo_ = new QCheckBox("First In and Last Out Only", options);
    cbFilo_->hide();
    for (QCheckBox* c : {cbEnhance_, cbPreview_, cbNewPage_, cbFilo_}) rows->addWidget(c);
    right->addWidget(options);
    right->addStretch(1);
    outer->addLayout(ButtonRow(bConfirm_, bCancel_, this));

    const ReportParameters p = LoadScopeSettings(ScopeDialog::WhoScope);
    Check(perLine_, p.recordsPerLine / 2 - 1);
    Check(format_, p.recordFormat);
    cbEnhance_->setChecked(p.enhanced);
    cbPreview_->setChecked(p.previewOnly);
    cbNewPage_->setChecked(p.newPage);
    connect(bConfirm_, &QPushButton::clicked, this, [this] { confirm(); });
}

ReportParameters Twhoscope::parameters() const {
    ReportParameters p;
    persons_->apply(p);
    p.dayOfInterest = DateTime::fromQDateTime(dtDay_->dateTime()).datePart();
    p.recordsPerLine = std::max(0, perLine_->checkedId()) * 2 + 2;
    p.recordFormat = std::max(0, format_->checkedId());
    p.enhanced = cbEnhance_->isChecked();
    p.previewOnly = cbPreview_->isChecked();
    p.newPage = cbNewPage_->isChecked();
    return p;
}

void Twhoscope::hideRecordsPerLine() {
    gbPerLine_->hide();
}

QAbstractButton* Twhoscope::perLineButton(int perLine) const {
    return perLine_->button(perLine / 2 - 1);
}

QAbstractButton* Twhoscope::formatButton(int index) const {
    return format_->button(index);
}

void Twhoscope::confirm() {
    StoreScopeSettings(ScopeDialog::WhoScope, parameters());
    accept();
}

// ---- TdlgStaffs ----

TdlgStaffs::TdlgStaffs(Connection& src, QWidget* parent) : QDialog(parent) {
    setObjectName("TdlgStaffs");
    setWindowTitle("Select Staffs");
    auto* outer = new QVBoxLayout(this);
    persons_ = new TPersonsBox(src, this);
    outer->addWidget(persons_);
    cbPreview_ = new QCheckBox("Preview", this);
    cbPreview_->setChecked(true);
    outer->addWidget(cbPreview_);
    outer->addLayout(ButtonRow(bConfirm_, bCancel_, this));
    connect(bConfirm_, &QPushButton::clicked, this, &QDialog::accept);
}

bool TdlgStaffs::preview() const {
    return cbPreview_->isChecked();
}

}  // namespace horalog
