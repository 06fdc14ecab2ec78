#include "people/ui/access_schedules_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/ui/qt_ports.h"

namespace horalog {

namespace {
const char* const kDayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
}

WeekStrip::WeekStrip(QWidget* parent) : QWidget(parent) {
    setObjectName("weekStrip");
    setMinimumSize(sizeHint());
}

void WeekStrip::setProfile(const TimeProfile& p) {
    profile_ = p;
    update();
}

void WeekStrip::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.fillRect(rect(), palette().base());
    const int left = 40, top = 16;
    const double width = std::max(1, this->width() - left - 8);
    const double rowHeight = (height() - top - 4) / 7.0;
    auto x = [&](int minutes) { return left + width * minutes / 1440.0; };
    g.setPen(palette().color(QPalette::Mid));
    for (int h = 0; h <= 24; h += 3) {
        g.drawLine(QPointF(x(h * 60), top), QPointF(x(h * 60), height() - 4));
        g.drawText(QRectF(x(h * 60) - 20, 0, 40, top), Qt::AlignCenter, QString::number(h));
    }
    const QColor bar(46, 125, 50);
    for (int d = 0; d < 7; ++d) {
        const double y = top + d * rowHeight;
        g.setPen(palette().color(QPalette::Text));
        g.drawText(QRectF(0, y, left - 4, rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   kDayNames[d]);
        if (!profile_.days[std::size_t(d)]) continue;
        for (const AccessPeriod& p : profile_.periods) {
            const QRectF r(0, y + 3, 0, rowHeight - 6);
            if (p.end > p.start) {
                g.fillRect(QRectF(x(p.start), r.top(), x(p.end) - x(p.start), r.height()), bar);
            } else {
                g.fillRect(QRectF(x(p.start), r.top(), x(1440) - x(p.start), r.height()), bar);
                // the hours after midnight, on the next day's row
                const double y2 = top + ((d + 1) % 7) * rowHeight;
                g.fillRect(QRectF(x(0), y2 + 3, x(p.end) - x(0), r.height()), bar.lighter(130));
            }
        }
    }
}

TAccessSchedules::TAccessSchedules(Connection& src, Messages& messages, QWidget* parent)
    : QDialog(parent), store_(src), messages_(messages) {
    setWindowTitle("Access Schedules");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    // Profile list.
    auto* listBox = new QGroupBox("Time profiles", this);
    auto* listLayout = new QVBoxLayout(listBox);
    list_ = new QListWidget(listBox);
    list_->setObjectName("lbProfiles");
    listLayout->addWidget(list_);
    auto* listButtons = new QHBoxLayout;
    auto* bNew = new QPushButton("New", listBox);
    auto* bDelete = new QPushButton("Delete", listBox);
    listButtons->addWidget(bNew);
    listButtons->addWidget(bDelete);
    listLayout->addLayout(listButtons);
    top->addWidget(listBox);

    // Editor.
    editor_ = new QGroupBox("Profile", this);
    auto* form = new QGridLayout(editor_);
    edName_ = new QLineEdit(editor_);
    edName_->setObjectName("edProfileName");
    form->addWidget(new QLabel("Name", editor_), 0, 0);
    form->addWidget(edName_, 0, 1, 1, 4);
    for (int i = 0; i < kMaxPeriods; ++i) {
        periodOn_[std::size_t(i)] = new QCheckBox(QString("Period %1").arg(i + 1), editor_);
        periodStart_[std::size_t(i)] = new QLineEdit(editor_);
        periodEnd_[std::size_t(i)] = new QLineEdit(editor_);
        for (QLineEdit* e : {periodStart_[std::size_t(i)], periodEnd_[std::size_t(i)]}) {
            e->setInputMask("99:99");
            e->setMaximumWidth(70);
            connect(e, &QLineEdit::textChanged, this, &TAccessSchedules::editorChanged);
        }
        connect(periodOn_[std::size_t(i)], &QCheckBox::toggled, this,
                &TAccessSchedules::editorChanged);
        form->addWidget(periodOn_[std::size_t(i)], 1 + i, 0);
        form->addWidget(periodStart_[std::size_t(i)], 1 + i, 1);
        form->addWidget(new QLabel("to", editor_), 1 + i, 2);
        form->addWidget(periodEnd_[std::size_t(i)], 1 + i, 3);
    }
    form->addWidget(new QLabel("An end before the start runs past midnight.", editor_), 4, 0, 1, 5);
    auto* dayRow = new QHBoxLayout;
    for (int d = 0; d < 7; ++d) {
        days_[std::size_t(d)] = new QCheckBox(kDayNames[d], editor_);
        connect(days_[std::size_t(d)], &QCheckBox::toggled, this, &TAccessSchedules::editorChanged);
        dayRow->addWidget(days_[std::size_t(d)]);
    }
    form->addLayout(dayRow, 5, 0, 1, 5);
    cbFirst_ = new QCheckBox("Valid from", editor_);
    edFirst_ = new QDateEdit(QDate::currentDate(), editor_);
    cbLast_ = new QCheckBox("Valid until", editor_);
    edLast_ = new QDateEdit(QDate::currentDate(), editor_);
    for (QDateEdit* e : {edFirst_, edLast_}) {
        e->setDisplayFormat("yyyy-MM-dd");
        e->setCalendarPopup(true);
    }
    form->addWidget(cbFirst_, 6, 0);
    form->addWidget(edFirst_, 6, 1, 1, 2);
    form->addWidget(cbLast_, 7, 0);
    form->addWidget(edLast_, 7, 1, 1, 2);
    cbHolidays_ = new QCheckBox("Applies on holidays", editor_);
    form->addWidget(cbHolidays_, 8, 0, 1, 3);
    strip_ = new WeekStrip(editor_);
    form->addWidget(strip_, 9, 0, 1, 5);
    auto* bSave = new QPushButton("Save", editor_);
    bSave->setDefault(true);
    form->addWidget(bSave, 10, 4);
    top->addWidget(editor_, 1);

    // Holidays.
    auto* holidayBox = new QGroupBox("Holidays", this);
    auto* hl = new QVBoxLayout(holidayBox);
    holidays_ = new QTableWidget(0, 2, holidayBox);
    holidays_->setObjectName("gridHolidays");
    holidays_->setHorizontalHeaderLabels({"Date", "Name"});
    holidays_->horizontalHeader()->setStretchLastSection(true);
    holidays_->verticalHeader()->hide();
    holidays_->setSelectionBehavior(QAbstractItemView::SelectRows);
    holidays_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    hl->addWidget(holidays_);
    auto* addRow = new QHBoxLayout;
    edHoliday_ = new QDateEdit(QDate::currentDate(), holidayBox);
    edHoliday_->setDisplayFormat("yyyy-MM-dd");
    edHoliday_->setCalendarPopup(true);
    edHolidayName_ = new QLineEdit(holidayBox);
    edHolidayName_->setPlaceholderText("Name");
    edHolidayName_->setMinimumWidth(140);
    auto* bAdd = new QPushButton("Add", holidayBox);
    auto* bRemove = new QPushButton("Remove", holidayBox);
    addRow->addWidget(edHoliday_);
    addRow->addWidget(edHolidayName_, 1);
    addRow->addWidget(bAdd);
    addRow->addWidget(bRemove);
    hl->addLayout(addRow);
    top->addWidget(holidayBox);

    auto* bClose = new QPushButton("Close", this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(bClose);
    layout->addLayout(bottom);

    connect(list_, &QListWidget::currentRowChanged, this, &TAccessSchedules::showProfile);
    connect(bNew, &QPushButton::clicked, this, &TAccessSchedules::newProfile);
    connect(bDelete, &QPushButton::clicked, this, &TAccessSchedules::deleteProfile);
    connect(bSave, &QPushButton::clicked, this, [this] { saveProfile(); });
    connect(bAdd, &QPushButton::clicked, this, &TAccessSchedules::addHoliday);
    connect(bRemove, &QPushButton::clicked, this, &TAccessSchedules::removeHoliday);
    connect(bClose, &QPushButton::clicked, this, &QDialog::accept);

    reload(kAlwaysProfile);
    reloadHolidays();
}

void TAccessSchedules::reload(int selectId) {
    try {
        profiles_ = store_.profiles();
    } catch (const DbError& e) {
        messages_.error(e.text());
        profiles_.clear();
    }
    const QSignalBlocker block(list_);
    list_->clear();
    int select = 0;
    for (std::size_t i = 0; i < profiles_.size(); ++i) {
        list_->addItem(profiles_[i].name);
        if (profiles_[i].id == selectId) select = int(i);
    }
    list_->setCurrentRow(select);
    showProfile(select);
}

void TAccessSchedules::showProfile(int row) {
    if (row < 0 || std::size_t(row) >= profiles_.size()) return;
    const TimeProfile& p = profiles_[std::size_t(row)];
    loading_ = true;
    currentId_ = p.id;
    edName_->setText(p.name);
    for (int i = 0; i < kMaxPeriods; ++i) {
        const bool used = std::size_t(i) < p.periods.size();
        periodOn_[std::size_t(i)]->setChecked(used);
        periodStart_[std::size_t(i)]->setText(used ? MinutesText(p.periods[std::size_t(i)].start)
                                                   : "00:00");
        periodEnd_[std::size_t(i)]->setText(used ? MinutesText(p.periods[std::size_t(i)].end)
                                                 : "00:00");
    }
    for (int d = 0; d < 7; ++d) days_[std::size_t(d)]->setChecked(p.days[std::size_t(d)]);
    cbFirst_->setChecked(p.first.isValid());
    if (p.first.isValid()) edFirst_->setDate(p.first);
    cbLast_->setChecked(p.last.isValid());
    if (p.last.isValid()) edLast_->setDate(p.last);
    cbHolidays_->setChecked(p.onHolidays);
    // "Always" is fixed: shown, never edited.
    for (QWidget* w : editor_->findChildren<QWidget*>())
        if (w != strip_) w->setEnabled(p.id != kAlwaysProfile);
    loading_ = false;
    strip_->setProfile(p);
}

void TAccessSchedules::newProfile() {
    TimeProfile p;
    p.name = "";
    p.periods = {{8 * 60, 17 * 60}};
    p.days = {true, true, true, true, true, false, false};
    profiles_.push_back(p);
    const QSignalBlocker block(list_);
    list_->addItem("(new)");
    list_->setCurrentRow(int(profiles_.size()) - 1);
    showProfile(int(profiles_.size()) - 1);
    edName_->setFocus();
}

std::optional<TimeProfile> TAccessSchedules::editedProfile(QString& problem) const {
    TimeProfile p;
    p.id = currentId_;
    p.name = edName_->text();
    for (int i = 0; i < kMaxPeriods; ++i) {
        if (!periodOn_[std::size_t(i)]->isChecked()) continue;
        const int s = ParseMinutes(periodStart_[std::size_t(i)]->text());
        const int e = ParseMinutes(periodEnd_[std::size_t(i)]->text());
        if (s < 0 || e < 0 || s == 1440) {
            problem = QString("Period %1: enter the times as HH:MM (00:00 to 24:00).").arg(i + 1);
            return std::nullopt;
        }
        p.periods.push_back({s, e == 0 ? 1440 : e});  // an end of 00:00 is midnight
    }
    for (int d = 0; d < 7; ++d) p.days[std::size_t(d)] = days_[std::size_t(d)]->isChecked();
    if (cbFirst_->isChecked()) p.first = edFirst_->date();
    if (cbLast_->isChecked()) p.last = edLast_->date();
    p.onHolidays = cbHolidays_->isChecked();
    return p;
}

void TAccessSchedules::editorChanged() {
    if (loading_) return;
    QString problem;
    if (auto p = editedProfile(problem)) strip_->setProfile(*p);
}

bool TAccessSchedules::saveProfile() {
    QString problem;
    auto p = editedProfile(problem);
    if (p) problem = CheckProfile(*p, profiles_);
    if (!problem.isEmpty()) {
        messages_.error(problem);
        return false;
    }
    try {
        const int id = store_.saveProfile(*p);
        changed_ = true;
        reload(id);
        return true;
    } catch (const DbError& e) {
        messages_.error(e.text());
        return false;
    }
}

void TAccessSchedules::deleteProfile() {
    if (currentId_ == kAlwaysProfile) {
        messages_.error("The profile \"Always\" cannot be deleted.");
        return;
    }
    if (currentId_ < 0) {  // never stored
        reload(kAlwaysProfile);
        return;
    }
    try {
        const int n = store_.holdersOn(currentId_);
        const QString name = edName_->text();
        const QString question =
            n > 0 ? QString(
                        "%1 holder(s) use the profile \"%2\". Delete it and move them to "
                        "\"Always\"?")
                        .arg(n)
                        .arg(name)
                  : QString("Delete the profile \"%1\"?").arg(name);
        if (!messages_.confirm(question)) return;
        store_.deleteProfile(currentId_);
        changed_ = true;
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    reload(kAlwaysProfile);
}

void TAccessSchedules::reloadHolidays() {
    std::vector<Holiday> list;
    try {
        list = store_.holidays();
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    holidays_->setRowCount(int(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        auto* date = new QTableWidgetItem(list[i].date.toString("yyyy-MM-dd ddd"));
        date->setData(Qt::UserRole, list[i].date);
        holidays_->setItem(int(i), 0, date);
        holidays_->setItem(int(i), 1, new QTableWidgetItem(list[i].name));
    }
    holidays_->resizeColumnToContents(0);
}

void TAccessSchedules::addHoliday() {
    try {
        store_.saveHoliday({edHoliday_->date(), edHolidayName_->text()});
        changed_ = true;
        edHolidayName_->clear();
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    reloadHolidays();
}

void TAccessSchedules::removeHoliday() {
    const int row = holidays_->currentRow();
    if (row < 0) {
        messages_.error("Select the holiday to remove.");
        return;
    }
    try {
        store_.deleteHoliday(holidays_->item(row, 0)->data(Qt::UserRole).toDate());
        changed_ = true;
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    reloadHolidays();
}

bool RunAccessSchedulesCommand(Connection& src, QWidget* parent) {
    QtMessages messages(parent);
    TAccessSchedules dialog(src, messages, parent);
    dialog.exec();
    return dialog.changed();
}

}  // namespace horalog
