#include "capture/ui/auto_io_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "common/ports.h"
#include "storage/settings.h"
#include "storage/ui/layouts.h"

namespace horalog {

namespace {

QTimeEdit* TimeBox(QWidget* parent, int hour) {
    auto* box = new QTimeEdit(parent);
    box->setDisplayFormat("HH:mm");
    box->setTime(QTime(hour, 0));
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

}  // namespace

IoTimeModel::IoTimeModel(Connection& src, QObject* parent)
    : QAbstractTableModel(parent), src_(src) {
    reload();
}

void IoTimeModel::reload() {
    beginResetModel();
    rows_ = IoTimes(src_);
    endResetModel();
}

int IoTimeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int IoTimeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant IoTimeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()) || role != Qt::DisplayRole) return {};
    const TimePeriod& p = rows_[std::size_t(index.row())].period;
    return IoTimeText(index.column() == 0 ? p.from : p.to);
}

QVariant IoTimeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == kFieldKindRole) return int(FieldKind::DateTime);
    if (role != Qt::DisplayRole) return {};
    return section == 0 ? QString("From") : QString("To");
}

TAutoIO::TAutoIO(Connection& src, Messages& messages, QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages) {
    setWindowTitle("Auto IN/OUT Timer");
    auto* layout = new QVBoxLayout(this);

    auto* options = new QGroupBox("Options", this);
    auto* optionsLayout = new QVBoxLayout(options);
    cbEnable_ = new QCheckBox("Enable Auto IN/OUT", options);
    cbOverride_ = new QCheckBox("Allow User Override", options);
    optionsLayout->addWidget(cbEnable_);
    optionsLayout->addWidget(cbOverride_);
    layout->addWidget(options);

    auto* list = new QGroupBox("IN Time List", this);
    auto* listLayout = new QVBoxLayout(list);
    model_ = new IoTimeModel(src, this);
    grid_ = new QTableView(list);
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    listLayout->addWidget(grid_);
    layout->addWidget(list);

    auto* period = new QGroupBox("IN Time Period", this);
    auto* periodLayout = new QHBoxLayout(period);
    edFrom_ = TimeBox(period, kIoFromHour);
    edTo_ = TimeBox(period, kIoToHour);
    periodLayout->addWidget(new QLabel("From", period));
    periodLayout->addWidget(edFrom_);
    periodLayout->addWidget(new QLabel("To", period));
    periodLayout->addWidget(edTo_);
    layout->addWidget(period);

    auto* buttons = new QHBoxLayout;
    bAdd_ = Button("Add Record", "Add the IN Time Period to the Time List.", this);
    bDelete_ = Button("Delete Record", "Remove record from Time List.", this);
    bClose_ = Button("Close", "Return to main program.", this);
    buttons->addWidget(bAdd_);
    buttons->addWidget(bDelete_);
    buttons->addStretch();
    buttons->addWidget(bClose_);
    layout->addLayout(buttons);

    cbEnable_->setChecked(ReadSettingBool("AutoInOut", false));
    cbOverride_->setChecked(ReadSettingBool("AutoOverride", false));
    // Each click takes effect at once.
    connect(cbEnable_, &QCheckBox::clicked, this,
            [](bool on) { WriteSettingBool("AutoInOut", on); });
    connect(cbOverride_, &QCheckBox::clicked, this,
            [](bool on) { WriteSettingBool("AutoOverride", on); });
    connect(bAdd_, &QPushButton::clicked, this, &TAutoIO::addPeriod);
    connect(bDelete_, &QPushButton::clicked, this, &TAutoIO::deletePeriod);
    connect(bClose_, &QPushButton::clicked, this, &TAutoIO::closeDialog);
    connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (!index.isValid() || index.row() >= int(model_->rows().size())) return;
        const TimePeriod& p = model_->rows()[std::size_t(index.row())].period;
        edFrom_->setTime(p.from.time());
        edTo_->setTime(p.to.time());
    });

    LoadFormLayout("AutoInOut", this);
    LoadGridLayout("AutoIOgrid", grid_);
}

void TAutoIO::addPeriod() {
    const auto check = AddIoTime(src_, {TimeOf(edFrom_), TimeOf(edTo_)});
    if (!check.ok) {
        edFrom_->setFocus();
        messages_.error(check.message);
        return;
    }
    model_->reload();
}

void TAutoIO::deletePeriod() {
    std::optional<qint64> id;
    if (!model_->rows().empty()) {
        const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
        id = model_->rows()[std::size_t(row)].id;
    }
    if (DeleteIoTime(src_, id, messages_)) model_->reload();
}

void TAutoIO::closeDialog() {
    SaveFormLayout("AutoInOut", this);
    SaveGridLayout("AutoIOgrid", grid_);
    accept();
}

}  // namespace horalog
