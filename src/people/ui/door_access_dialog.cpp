#include "people/ui/door_access_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "common/ports.h"
#include "common/texts.h"
#include "people/door_rights.h"
#include "people/group_store.h"
#include "people/time_profiles.h"
#include "storage/settings.h"
#include "storage/ui/layouts.h"

namespace horalog {

TDoorAccess::TDoorAccess(Connection& src, Messages& messages, QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages) {
    setWindowTitle("Door Access");
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QHBoxLayout;
    cbGroup_ = new QComboBox(this);
    cbGroup_->setObjectName("cbGroup");
    cbGroup_->addItem("(All groups)");
    groupIds_.push_back(0);
    const GroupChoice groups = GroupChoices(src, 0);
    for (int i = 0; i < groups.names.size(); ++i) {
        cbGroup_->addItem(groups.names[i]);
        groupIds_.push_back(groups.ids[std::size_t(i)]);
    }
    edName_ = new QLineEdit(this);
    edName_->setObjectName("edName");
    edName_->setPlaceholderText("part of a name");
    edName_->setClearButtonEnabled(true);
    filters->addWidget(new QLabel("Group", this));
    filters->addWidget(cbGroup_);
    filters->addSpacing(12);
    filters->addWidget(new QLabel("Name", this));
    filters->addWidget(edName_, 1);
    layout->addLayout(filters);

    model_ = new DoorAccessModel(src, this);
    grid_ = new QTableView(this);
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->horizontalHeader()->setStretchLastSection(false);
    grid_->setToolTip("Tick a box to let one holder pass, or select holders and set a right.");
    layout->addWidget(grid_, 1);

    auto* actions = new QHBoxLayout;
    cbReader_ = new QComboBox(this);
    cbReader_->setObjectName("cbReader");
    const auto captions = DoorCaptions(src);
    for (const QString& c : captions) cbReader_->addItem(c);
    auto* bSet = new QPushButton("Set Right", this);
    bSet->setToolTip("Let the selected holders pass at the chosen reader.");
    auto* bClear = new QPushButton("Clear Right", this);
    bClear->setToolTip("Refuse the selected holders at the chosen reader.");
    auto* bClose = new QPushButton("Close", this);
    actions->addWidget(new QLabel("Selected holders at", this));
    actions->addWidget(cbReader_);
    actions->addWidget(bSet);
    actions->addWidget(bClear);
    cbProfile_ = new QComboBox(this);
    cbProfile_->setObjectName("cbProfile");
    try {
        for (const TimeProfile& p : ScheduleStore(src).profiles()) {
            cbProfile_->addItem(p.name);
            profileIds_.push_back(p.id);
        }
    } catch (const DbError&) {
    }
    auto* bProfile = new QPushButton("Set Profile", this);
    bProfile->setToolTip("Put the selected holders on the chosen access schedule.");
    actions->addSpacing(12);
    actions->addWidget(new QLabel("Schedule", this));
    actions->addWidget(cbProfile_);
    actions->addWidget(bProfile);
    connect(bProfile, &QPushButton::clicked, this, [this] { setSelectedProfile(); });
    actions->addStretch();
    actions->addWidget(bClose);
    layout->addLayout(actions);

    auto* newBox = new QGroupBox("A new holder may pass at", this);
    auto* newGrid = new QHBoxLayout(newBox);
    const DoorRights rights = NewHolderRights();
    for (int p = 1; p <= 8; ++p) {
        auto* box = new QCheckBox(captions[std::size_t(p - 1)], newBox);
        box->setChecked(rights[std::size_t(p - 1)]);
        newGrid->addWidget(box);
        newHolder_[std::size_t(p - 1)] = box;
        connect(box, &QCheckBox::toggled, this, [this] {
            DoorRights r{};
            for (int q = 1; q <= 8; ++q) r[std::size_t(q - 1)] = newHolderBox(q)->isChecked();
            WriteNewHolderRights(r);
        });
    }
    newGrid->addStretch();
    layout->addWidget(newBox);

    auto* repeat = new QHBoxLayout;
    spRepeat_ = new QSpinBox(this);
    spRepeat_->setObjectName("spRepeat");
    spRepeat_->setRange(0, 3600);
    spRepeat_->setValue(std::clamp(ReadSettingInt(kRepeatReadSetting, 0), 0, 3600));
    spRepeat_->setToolTip("0: every read is logged.");
    repeat->addWidget(
        new QLabel("Ignore a repeat read of the same card on the same reader within", this));
    repeat->addWidget(spRepeat_);
    repeat->addWidget(new QLabel("seconds", this));
    repeat->addStretch();
    layout->addLayout(repeat);
    connect(spRepeat_, &QSpinBox::valueChanged, this,
            [](int seconds) { WriteSettingInt(kRepeatReadSetting, seconds); });

    connect(cbGroup_, &QComboBox::currentIndexChanged, this, &TDoorAccess::applyFilter);
    connect(edName_, &QLineEdit::textChanged, this, &TDoorAccess::applyFilter);
    connect(bSet, &QPushButton::clicked, this, [this] { setSelected(true); });
    connect(bClear, &QPushButton::clicked, this, [this] { setSelected(false); });
    connect(bClose, &QPushButton::clicked, this, [this] {
        SaveFormLayout("DoorAccessForm", this);
        done(changed_ ? QDialog::Accepted : QDialog::Rejected);
    });
    connect(model_, &QAbstractItemModel::dataChanged, this, [this] { changed_ = true; });
    resize(900, 560);
    LoadFormLayout("DoorAccessForm", this);
}

void TDoorAccess::applyFilter() {
    const int i = cbGroup_->currentIndex();
    model_->setFilter(i >= 0 && i < int(groupIds_.size()) ? groupIds_[std::size_t(i)] : 0,
                      edName_->text());
}

void TDoorAccess::setSelected(bool allowed) {
    std::vector<int> rows;
    for (const QModelIndex& i : grid_->selectionModel()->selectedRows()) rows.push_back(i.row());
    if (rows.empty()) {
        messages_.error(text::kNoRecord);
        return;
    }
    try {
        model_->setRight(rows, cbReader_->currentIndex() + 1, allowed);
    } catch (const DbError&) {
        messages_.error(text::kUpdateFailed);
    }
}

void TDoorAccess::setSelectedProfile() {
    std::vector<int> rows;
    for (const QModelIndex& i : grid_->selectionModel()->selectedRows()) rows.push_back(i.row());
    const int choice = cbProfile_->currentIndex();
    if (rows.empty() || choice < 0 || std::size_t(choice) >= profileIds_.size()) {
        messages_.error(text::kNoRecord);
        return;
    }
    try {
        if (model_->setProfile(rows, profileIds_[std::size_t(choice)]) > 0) changed_ = true;
    } catch (const DbError&) {
        messages_.error(text::kUpdateFailed);
    }
}

}  // namespace horalog
