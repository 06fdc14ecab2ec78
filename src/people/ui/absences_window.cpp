#include "people/ui/absences_window.h"

#include <QBrush>
#include <QComboBox>
#include <QDateEdit>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "common/ports.h"
#include "people/group_store.h"
#include "storage/ui/layouts.h"

namespace horalog {

namespace {

const QColor kHolidayColour("#ffd966");
const QColor kWeekendColour("#e4e4e4");

}  // namespace

QVariant AbsenceMonthModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row(), day = index.column();
    const QDate d = month_.day(day);
    const MonthCell c = month_.cell(row, day);
    const auto holiday = month_.holiday(day);
    switch (role) {
        case Qt::DisplayRole:
            // The type's letter, "½" standing for the half at work ("V½": the morning off), a
            // dot for reads on a day at work, "H" a holiday (it wins, as in the results).
            if (holiday) return QString("H");
            if (c.WholeDay()) return c.first;
            if (!c.Empty())
                return (c.first.isEmpty() ? "½" : c.first) + (c.second.isEmpty() ? "½" : c.second);
            return c.reads ? QString("•") : QString();
        case Qt::FontRole:
            if (c.reads && (!c.Empty() || holiday)) {
                // Reads on a day off: the letter in bold.
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::BackgroundRole: {
            if (holiday) return QBrush(kHolidayColour);
            const QString code = !c.first.isEmpty() ? c.first : c.second;
            if (const AbsenceType* t = code.isEmpty() ? nullptr : month_.type(code)) {
                QColor colour(t->colour);
                if (!c.WholeDay()) colour = colour.lighter(135);
                return QBrush(colour);
            }
            if (AbsenceMonth::Weekend(d)) return QBrush(kWeekendColour);
            return {};
        }
        case Qt::ForegroundRole: {
            // Reads alone are a quiet grey dot; letters on colour stay black in any theme.
            if (c.Empty() && !holiday) return QBrush(Qt::gray);
            return QBrush(Qt::black);
        }
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::ToolTipRole:
            return month_.describe(row, day);
        default:
            return {};
    }
}

QVariant AbsenceMonthModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Vertical) {
        if (section < 0 || section >= rowCount()) return {};
        const MonthHolder& h = month_.holders()[std::size_t(section)];
        if (role == Qt::DisplayRole) return h.name;
        if (role == Qt::ToolTipRole)
            return QString("[%1] %2 (%3)").arg(h.card).arg(h.name, h.group);
        return {};
    }
    const QDate d = month_.day(section);
    if (role == Qt::DisplayRole) return d.toString("d") + "\n" + d.toString("ddd").left(2);
    if (role == Qt::ToolTipRole) {
        const auto holiday = month_.holiday(section);
        return d.toString("dddd d MMMM yyyy") + (holiday ? ": Holiday " + *holiday : QString());
    }
    if (role == Qt::BackgroundRole && (AbsenceMonth::Weekend(d) || month_.holiday(section)))
        return QBrush(month_.holiday(section) ? kHolidayColour : kWeekendColour);
    return {};
}

TAbsences::TAbsences(Connection& src, Connection& att, Messages& messages, const QDate& today,
                     QWidget* parent)
    : QDialog(parent), month_(src, att), messages_(messages) {
    setWindowTitle("Absences");
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* bPrev = new QPushButton("<", this);
    bPrev->setToolTip("The month before.");
    bPrev->setFixedWidth(32);
    edMonth_ = new QDateEdit(today, this);
    edMonth_->setObjectName("edMonth");
    edMonth_->setDisplayFormat("MMMM yyyy");
    auto* bNext = new QPushButton(">", this);
    bNext->setToolTip("The month after.");
    bNext->setFixedWidth(32);
    cbGroup_ = new QComboBox(this);
    cbGroup_->setObjectName("cbGroup");
    cbGroup_->addItem("All groups");
    for (const WorkGroup& g : GroupsById(src)) cbGroup_->addItem(g.descx);
    edSearch_ = new QLineEdit(this);
    edSearch_->setObjectName("edSearch");
    edSearch_->setPlaceholderText("Find a name");
    edSearch_->setClearButtonEnabled(true);
    top->addWidget(bPrev);
    top->addWidget(edMonth_);
    top->addWidget(bNext);
    top->addSpacing(16);
    top->addWidget(new QLabel("Group", this));
    top->addWidget(cbGroup_);
    top->addWidget(edSearch_, 1);
    count_ = new QLabel(this);
    count_->setObjectName("lbCount");
    top->addWidget(count_);
    layout->addLayout(top);

    model_ = new AbsenceMonthModel(month_, this);
    grid_ = new QTableView(this);
    grid_->setObjectName("gridAbsences");
    grid_->setModel(model_);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The month fills the width, a day never narrower than the widest cell text.
    grid_->horizontalHeader()->setMinimumSectionSize(fontMetrics().horizontalAdvance("½W") + 6);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    layout->addWidget(grid_, 1);

    legend_ = new QLabel(this);
    legend_->setWordWrap(true);
    layout->addWidget(legend_);

    auto* bottom = new QHBoxLayout;
    cbType_ = new QComboBox(this);
    cbType_->setObjectName("cbType");
    cbHalf_ = new QComboBox(this);
    cbHalf_->setObjectName("cbHalf");
    cbHalf_->addItems({"Full day", "First half", "Second half"});
    edNote_ = new QLineEdit(this);
    edNote_->setObjectName("edNote");
    edNote_->setPlaceholderText("Note");
    auto* bAdd = new QPushButton("Add", this);
    bAdd->setObjectName("bAdd");
    bAdd->setToolTip("Add the absence over the selected days of each selected holder.");
    auto* bRemove = new QPushButton("Remove", this);
    bRemove->setObjectName("bRemove");
    bRemove->setToolTip("Remove the absences that touch the selected cells.");
    auto* bClose = new QPushButton("Close", this);
    bottom->addWidget(cbType_);
    bottom->addWidget(cbHalf_);
    bottom->addWidget(edNote_, 1);
    bottom->addWidget(bAdd);
    bottom->addWidget(bRemove);
    bottom->addStretch();
    bottom->addWidget(bClose);
    layout->addLayout(bottom);

    connect(bPrev, &QPushButton::clicked, this,
            [this] { edMonth_->setDate(edMonth_->date().addMonths(-1)); });
    connect(bNext, &QPushButton::clicked, this,
            [this] { edMonth_->setDate(edMonth_->date().addMonths(1)); });
    connect(edMonth_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (d.year() != month_.firstDay().year() || d.month() != month_.firstDay().month())
            reload();
    });
    connect(cbGroup_, &QComboBox::currentIndexChanged, this, [this] { reload(); });
    connect(edSearch_, &QLineEdit::textChanged, this, [this] { reload(); });
    connect(bAdd, &QPushButton::clicked, this, &TAbsences::addAbsence);
    connect(bRemove, &QPushButton::clicked, this, &TAbsences::removeAbsences);
    connect(bClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(this, &QDialog::finished, this, [this] { SaveFormLayout("AbsencesForm", this); });

    reload();
    LoadFormLayout("AbsencesForm", this, QSize(1100, 620));
}

void TAbsences::showMonth(const QDate& month) {
    edMonth_->setDate(month);
    reload();
}

void TAbsences::reload() {
    const QString group = cbGroup_->currentIndex() > 0 ? cbGroup_->currentText() : QString();
    try {
        month_.load(edMonth_->date(), group, edSearch_->text());
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    model_->refresh();
    const int n = int(month_.holders().size());
    count_->setText(n == 0 ? QString("No holder") : QString("%1 holder(s)").arg(n));
    const QString current = cbType_->currentData().toString();
    cbType_->clear();
    QStringList legend;
    for (const AbsenceType& t : month_.types()) {
        cbType_->addItem(t.code + "  " + t.name, t.code);
        legend << QString("<span style='background:%1'>&nbsp;%2&nbsp;</span> %3")
                      .arg(t.colour, t.code, t.name.toHtmlEscaped());
    }
    if (const int i = cbType_->findData(current); i >= 0) cbType_->setCurrentIndex(i);
    legend << QString("<span style='background:%1'>&nbsp;H&nbsp;</span> Holiday")
                  .arg(kHolidayColour.name());
    legend_->setText(legend.join(" &nbsp; ") +
                     " &nbsp; ½ the half at work &nbsp; • has reads (<b>bold</b> on a day off)");
}

std::vector<MonthSpot> TAbsences::selectedSpots() const {
    std::vector<MonthSpot> spots;
    for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes())
        spots.emplace_back(i.row(), i.column());
    return spots;
}

void TAbsences::addAbsence() {
    const auto spots = selectedSpots();
    if (spots.empty()) {
        messages_.error("Select the days of the absence first.");
        return;
    }
    const QString code = cbType_->currentData().toString();
    if (code.isEmpty()) {
        messages_.error("There is no absence type: add one under Setup > Absence Types.");
        return;
    }
    try {
        const QString refused =
            month_.add(spots, code, HalfDay(cbHalf_->currentIndex()), edNote_->text().trimmed());
        model_->refresh();
        if (!refused.isEmpty()) messages_.error(refused);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

void TAbsences::removeAbsences() {
    const auto spots = selectedSpots();
    if (spots.empty()) {
        messages_.error("Select the days of the absences to remove first.");
        return;
    }
    try {
        month_.remove(spots);
        model_->refresh();
    } catch (const AbsenceRefused& r) {
        model_->refresh();
        messages_.error(r.message);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

HolderAbsencesBox::HolderAbsencesBox(Connection& src, int card, bool holderStored,
                                     Messages& messages, const QDate& today, QWidget* parent)
    : QGroupBox(QString("Absences in %1").arg(today.year()), parent),
      store_(src),
      card_(card),
      year_(today.year()),
      messages_(messages) {
    setObjectName("gbAbsences");
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("lbAbsences");
    list_->setMaximumHeight(fontMetrics().height() * 5 + 8);
    layout->addWidget(list_);
    auto* row = new QHBoxLayout;
    edFrom_ = new QDateEdit(today, this);
    edFrom_->setObjectName("edAbsenceFrom");
    edTo_ = new QDateEdit(today, this);
    edTo_->setObjectName("edAbsenceTo");
    for (QDateEdit* e : {edFrom_, edTo_}) {
        e->setDisplayFormat("yyyy-MM-dd");
        e->setCalendarPopup(true);
    }
    connect(edFrom_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (edTo_->date() < d) edTo_->setDate(d);
    });
    cbType_ = new QComboBox(this);
    cbType_->setObjectName("cbAbsenceType");
    cbHalf_ = new QComboBox(this);
    cbHalf_->addItems({"Full day", "First half", "Second half"});
    auto* bAdd = new QPushButton("Add", this);
    auto* bRemove = new QPushButton("Remove", this);
    row->addWidget(edFrom_);
    row->addWidget(new QLabel("to", this));
    row->addWidget(edTo_);
    row->addWidget(cbType_);
    row->addWidget(cbHalf_);
    row->addWidget(bAdd);
    row->addWidget(bRemove);
    layout->addLayout(row);
    connect(bAdd, &QPushButton::clicked, this, &HolderAbsencesBox::addAbsence);
    connect(bRemove, &QPushButton::clicked, this, &HolderAbsencesBox::removeAbsence);
    if (!holderStored) {
        setEnabled(false);
        setToolTip("Confirm the new holder first; absences are kept for stored holders.");
        return;
    }
    setToolTip("Absences are stored at once, whether the holder is confirmed or not.");
    try {
        for (const AbsenceType& t : store_.types())
            cbType_->addItem(t.code + "  " + t.name, t.code);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    reload();
}

void HolderAbsencesBox::reload() {
    list_->clear();
    try {
        shown_ = store_.absences(card_, QDate(year_, 1, 1), QDate(year_, 12, 31));
        const auto types = store_.types();
        for (const Absence& a : shown_) {
            QString name = a.type;
            for (const AbsenceType& t : types)
                if (t.code == a.type) name = t.name;
            list_->addItem(AbsenceDaysText(a) + "  " + name +
                           (a.note.isEmpty() ? QString() : "  (" + a.note + ")"));
        }
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

void HolderAbsencesBox::addAbsence() {
    Absence a;
    a.cardno = card_;
    a.from = edFrom_->date();
    a.half = HalfDay(cbHalf_->currentIndex());
    a.to = a.half == HalfDay::Full ? edTo_->date() : a.from;
    a.type = cbType_->currentData().toString();
    try {
        store_.add(a);
        reload();
    } catch (const AbsenceRefused& r) {
        messages_.error(r.message);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

void HolderAbsencesBox::removeAbsence() {
    const int row = list_->currentRow();
    if (row < 0 || row >= int(shown_.size())) {
        messages_.error("Choose the absence to remove first.");
        return;
    }
    const Absence a = shown_[std::size_t(row)];
    try {
        // A half day shares its date with the other half: remove by id, not by days.
        store_.removeOne(a.id);
        reload();
    } catch (const AbsenceRefused& r) {
        messages_.error(r.message);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

}  // namespace horalog
