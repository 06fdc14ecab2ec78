#include "people/ui/attendance_record_dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "common/format.h"
#include "people/holder_store.h"
#include "people/ui/holder_dialogs.h"

namespace horalog {

namespace {

const QStringList kModes = {"CLOCK", "IN", "OUT"};

QDateEdit* DateBox(QWidget* parent, DateTime t) {
    auto* box = new QDateEdit(t.date(), parent);
    box->setDisplayFormat("MMM d, yyyy (ddd)");
    box->setCalendarPopup(true);
    return box;
}

QTimeEdit* TimeBox(QWidget* parent, DateTime t) {
    auto* box = new QTimeEdit(QTime(t.time().hour(), t.time().minute()), parent);
    box->setDisplayFormat("HH:mm");
    return box;
}

DateTime Picked(const QDateEdit* box) {
    return DateTime::fromDate(box->date());
}

DateTime Picked(const QTimeEdit* box) {
    return DateTime::fromTime(box->time());
}

QPushButton* Button(const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

}  // namespace

HolderShownFields::HolderShownFields(QWidget* parent, QWidget* nameField) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* g = new QGridLayout;
    edCard_ = new QLineEdit(this);
    edCard_->setReadOnly(true);
    edGroup_ = new QLineEdit(this);
    edGroup_->setReadOnly(true);
    memo_ = new QPlainTextEdit(this);
    memo_->setReadOnly(true);
    g->addWidget(new QLabel("Name", this), 0, 0);
    g->addWidget(nameField, 0, 1);
    g->addWidget(new QLabel("Card Number", this), 1, 0);
    g->addWidget(edCard_, 1, 1);
    g->addWidget(new QLabel("Member of", this), 2, 0);
    g->addWidget(edGroup_, 2, 1);
    g->addWidget(new QLabel("Remarks", this), 3, 0, Qt::AlignTop);
    g->addWidget(memo_, 3, 1);
    layout->addLayout(g, 1);
    photo_ = new QLabel(this);
    photo_->setFixedSize(120, 160);
    photo_->setFrameShape(QFrame::Box);
    layout->addWidget(photo_, 0, Qt::AlignTop);
}

void HolderShownFields::display(const HolderShown& holder) {
    edCard_->setText(holder.found ? QString::number(holder.card) : QString());
    edGroup_->setText(holder.group);
    memo_->setPlainText(holder.remarks);
    if (holder.hasPhoto) ShowPicture(photo_, holder.photo);
    photo_->setVisible(holder.hasPhoto);
}

// ---- Add Attendance Record ----

TDlgAddRecord::TDlgAddRecord(Connection& att, Connection& src, DateTime now, Messages& messages,
                             QWidget* parent)
    : QDialog(parent), att_(att), src_(src), messages_(messages) {
    setWindowTitle(text::kAddRecordCaption);
    auto* layout = new QVBoxLayout(this);
    cbName_ = new QComboBox(this);
    cbName_->setEditable(true);
    cbName_->setInsertPolicy(QComboBox::NoInsert);
    cbName_->addItems(HolderNames(src));
    cbName_->setCurrentIndex(-1);
    holder_ = new HolderShownFields(this, cbName_);
    layout->addWidget(holder_);

    auto* readerRow = new QHBoxLayout;
    readerRow->addWidget(new QLabel("Reader", this));
    cbReader_ = new QComboBox(this);
    const ReaderNames names = ReaderDescriptions(src);
    for (int port = 1; port <= kReaderChoices; ++port) cbReader_->addItem(ReaderName(port, names));
    cbReader_->setCurrentIndex(0);
    readerRow->addWidget(cbReader_, 1);
    layout->addLayout(readerRow);

    auto* when = new QGroupBox("Date and Time", this);
    auto* wl = new QHBoxLayout(when);
    edDate_ = DateBox(when, now);
    edTime_ = TimeBox(when, now);
    cbMode_ = new QComboBox(when);
    cbMode_->addItems(kModes);
    cbMode_->setCurrentIndex(0);
    wl->addWidget(edDate_);
    wl->addWidget(edTime_);
    wl->addWidget(cbMode_);
    layout->addWidget(when);

    auto* buttons = new QHBoxLayout;
    auto* bAdd = Button("&Add", "Confirm the change and exit.", this);
    auto* bQuit = Button("&Quit", "Cancel all changes and exit.", this);
    buttons->addStretch();
    buttons->addWidget(bAdd);
    buttons->addWidget(bQuit);
    layout->addLayout(buttons);

    connect(cbName_, &QComboBox::currentTextChanged, this, &TDlgAddRecord::lookUp);
    connect(cbReader_, &QComboBox::currentIndexChanged, this, &TDlgAddRecord::lookUp);
    connect(bAdd, &QPushButton::clicked, this, &TDlgAddRecord::add);
    connect(bQuit, &QPushButton::clicked, this, &QDialog::reject);
    lookUp();
}

void TDlgAddRecord::lookUp() {
    shown_ = HolderShownByName(src_, cbName_->currentText());
    holder_->display(shown_);
}

void TDlgAddRecord::add() {
    lookUp();
    if (AddAttendanceRecord(att_, Picked(edDate_), Picked(edTime_),
                            shown_.found ? std::optional(shown_.card) : std::nullopt,
                            cbMode_->currentIndex(), cbReader_->currentIndex(), messages_,
                            src_.path()))
        added_ = true;
}

// ---- Edit Attendance Record ----

TDlgEditRecord::TDlgEditRecord(Connection& att, Connection& src, const LogRecord& row,
                               Messages& messages, QWidget* parent)
    : QDialog(parent), att_(att), auditDb_(src.path()), messages_(messages), id_(row.id) {
    setWindowTitle(text::kEditRecordCaption);
    auto* layout = new QVBoxLayout(this);
    const HolderShown holder = HolderShownByCard(src, row.cardno);
    auto* edName = new QLineEdit(holder.name, this);
    edName->setReadOnly(true);
    auto* fields = new HolderShownFields(this, edName);
    fields->display(holder);
    fields->cardBox()->setText(QString::number(row.cardno));
    layout->addWidget(fields);

    auto* readerRow = new QHBoxLayout;
    readerRow->addWidget(new QLabel("Reader", this));
    auto* edReader = new QLineEdit(ReaderName(row.reader, ReaderDescriptions(src)), this);
    edReader->setReadOnly(true);
    readerRow->addWidget(edReader, 1);
    layout->addLayout(readerRow);

    auto* when = new QGroupBox("Date and Time", this);
    auto* wl = new QHBoxLayout(when);
    edDate_ = DateBox(when, row.systime);
    edTime_ = TimeBox(when, row.systime);
    cbMode_ = new QComboBox(when);
    cbMode_->addItems(kModes);
    cbMode_->setCurrentIndex(row.mode >= 0 && row.mode < kModeChoices ? row.mode : -1);
    wl->addWidget(edDate_);
    wl->addWidget(edTime_);
    wl->addWidget(cbMode_);
    layout->addWidget(when);

    auto* buttons = new QHBoxLayout;
    auto* bUpdate = Button("&Update", QString(), this);
    auto* bCancel = Button("&Cancel", QString(), this);
    buttons->addStretch();
    buttons->addWidget(bUpdate);
    buttons->addWidget(bCancel);
    layout->addLayout(buttons);
    connect(bUpdate, &QPushButton::clicked, this, &TDlgEditRecord::update);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgEditRecord::update() {
    updated_ = UpdateAttendanceRecord(att_, id_, Picked(edDate_), Picked(edTime_),
                                      cbMode_->currentIndex(), messages_, auditDb_);
    // Closes whether or not the update went through.
    if (updated_)
        accept();
    else
        reject();
}

}  // namespace horalog
