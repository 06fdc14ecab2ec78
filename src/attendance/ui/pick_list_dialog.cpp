#include "attendance/ui/pick_list_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "storage/ui/layouts.h"

namespace horalog {

namespace {

QTableView* MakeGrid(PickListModel* model, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setColumnWidth(PickListModel::NameColumn, 220);
    return grid;
}

// The card of the grid's current row, or 0 when the list is empty.
int CurrentCard(QTableView* grid, const PickListModel& model) {
    if (model.rowCount() == 0) return 0;
    const QModelIndex cur = grid->currentIndex();
    return model.row(cur.isValid() ? cur.row() : 0).cardno;
}

}  // namespace

TPickList::TPickList(Connection& src, QWidget* parent)
    : QDialog(parent), src_(src), member_(src, true, this), nonmember_(src, false, this) {
    setWindowTitle("Pick List");
    setSizeGripEnabled(true);
    resize(520, 560);
    auto* layout = new QVBoxLayout(this);

    gbMember_ = new QGroupBox("Member List", this);
    dbgmember_ = MakeGrid(&member_, gbMember_);
    dbgmember_->setObjectName("dbgmember");
    (new QVBoxLayout(gbMember_))->addWidget(dbgmember_);
    layout->addWidget(gbMember_, 1);

    auto* buttons = new QHBoxLayout;
    bAdd_ = new QToolButton(this);
    bAdd_->setArrowType(Qt::UpArrow);
    bAdd_->setToolTip("Add to member list.");
    bRemove_ = new QToolButton(this);
    bRemove_->setArrowType(Qt::DownArrow);
    bRemove_->setToolTip("Remove from member list.");
    bRemoveAll_ = new QPushButton("Remove All", this);
    bRemoveAll_->setAutoDefault(false);
    buttons->addWidget(bAdd_);
    buttons->addWidget(bRemove_);
    buttons->addWidget(bRemoveAll_);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    gbNonmember_ = new QGroupBox("Non member List", this);
    dbgnonmember_ = MakeGrid(&nonmember_, gbNonmember_);
    dbgnonmember_->setObjectName("dbgnonmember");
    (new QVBoxLayout(gbNonmember_))->addWidget(dbgnonmember_);
    layout->addWidget(gbNonmember_, 1);

    bClose_ = new QPushButton("Close", this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(bClose_);
    layout->addLayout(bottom);

    connect(bAdd_, &QToolButton::clicked, this, [this] { add(); });
    connect(dbgnonmember_, &QTableView::doubleClicked, this, [this] { add(); });
    connect(bRemove_, &QToolButton::clicked, this, [this] { remove(); });
    connect(dbgmember_, &QTableView::doubleClicked, this, [this] { remove(); });
    connect(bRemoveAll_, &QPushButton::clicked, this, [this] { removeAll(); });
    connect(bClose_, &QPushButton::clicked, this, [this] { close(); });
    connect(dbgmember_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { member_.sortByColumn(column); });
    connect(dbgnonmember_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { nonmember_.sortByColumn(column); });

    refreshCaptions();
    LoadFormLayout("PickListForm", this);
    LoadGridLayout("PickListMember", dbgmember_);
    LoadGridLayout("PickListNonmember", dbgnonmember_);
}

void TPickList::add() {
    const int card = CurrentCard(dbgnonmember_, nonmember_);
    if (card == 0 && nonmember_.rowCount() == 0) return;
    const int row = dbgnonmember_->currentIndex().row();
    MoveHolder(src_, card, true, member_, nonmember_);
    // Stay near the same place, so a run of clicks moves consecutive holders.
    if (nonmember_.rowCount() > 0)
        dbgnonmember_->setCurrentIndex(
            nonmember_.index(std::clamp(row, 0, nonmember_.rowCount() - 1), 0));
    refreshCaptions();
}

void TPickList::remove() {
    const int card = CurrentCard(dbgmember_, member_);
    if (card == 0 && member_.rowCount() == 0) return;
    const int row = dbgmember_->currentIndex().row();
    MoveHolder(src_, card, false, member_, nonmember_);
    if (member_.rowCount() > 0)
        dbgmember_->setCurrentIndex(member_.index(std::clamp(row, 0, member_.rowCount() - 1), 0));
    refreshCaptions();
}

void TPickList::removeAll() {
    RemoveAllMembers(src_, member_, nonmember_);
    refreshCaptions();
}

void TPickList::refreshCaptions() {
    gbMember_->setTitle(member_.caption());
    gbNonmember_->setTitle(nonmember_.caption());
}

void TPickList::close() {
    SaveFormLayout("PickListForm", this);
    SaveGridLayout("PickListMember", dbgmember_);
    SaveGridLayout("PickListNonmember", dbgnonmember_);
    accept();
}

}  // namespace horalog
