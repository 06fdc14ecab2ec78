#include "offline/ui/access_table_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ports.h"
#include "storage/database.h"
#include "storage/lookups.h"
#include "storage/ui/layouts.h"

namespace horalog {

TFmOfflineAccess::TFmOfflineAccess(Connection& src, ReaderLinks& links, Messages& messages,
                                   Progress& progress, QWidget* parent)
    : QDialog(parent), table_(src), links_(links), messages_(messages), progress_(progress) {
    setWindowTitle("Offline Access Table");
    auto* outer = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Reader On", this));
    auto* readers = new QComboBox(this);
    try {
        for (const QString& d : ReaderDescriptions(src)) readers->addItem(d);
    } catch (const DbError&) {
    }
    top->addWidget(readers);
    top->addStretch();
    outer->addLayout(top);

    auto makeGrid = [this](QGroupBox* group) {
        auto* grid = new QTableWidget(0, int(OfflineAccessTable::Columns().size()), group);
        grid->setHorizontalHeaderLabels(OfflineAccessTable::Columns());
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->verticalHeader()->hide();
        auto* layout = new QVBoxLayout(group);
        layout->addWidget(grid);
        return grid;
    };
    auto* lists = new QHBoxLayout;
    gbMember_ = new QGroupBox(this);
    gbNonmember_ = new QGroupBox(this);
    dbgmember_ = makeGrid(gbMember_);
    dbgnonmember_ = makeGrid(gbNonmember_);
    auto* middle = new QVBoxLayout;
    auto* bAdd = new QPushButton("<<", this);
    bAdd->setToolTip("Add to member list.");
    auto* bRemove = new QPushButton(">>", this);
    bRemove->setToolTip("Remove from member list.");
    middle->addStretch();
    middle->addWidget(bAdd);
    middle->addWidget(bRemove);
    middle->addStretch();
    lists->addWidget(gbMember_, 3);
    lists->addLayout(middle);
    lists->addWidget(gbNonmember_, 2);
    outer->addLayout(lists);
    // Stand-alone readers hold card lists only: a holder on a time profile is uploaded as its
    // rights say and passes there at any hour.
    auto* noSchedules = new QLabel(
        "Stand-alone readers cannot hold access schedules: holders are uploaded as their "
        "rights say, at any hour.",
        this);
    noSchedules->setObjectName("lbNoSchedules");
    outer->addWidget(noSchedules);

    auto* bottom = new QHBoxLayout;
    auto* bUpload = new QPushButton("Upload", this);
    bUpload->setToolTip("Upload the tables to all PX series readers.");
    auto* bClose = new QPushButton("Close", this);
    bClose->setToolTip("Exit and return to main program.");
    bottom->addStretch();
    bottom->addWidget(bUpload);
    bottom->addWidget(bClose);
    outer->addLayout(bottom);

    connect(bAdd, &QPushButton::clicked, this, [this] { addSelected(); });
    connect(bRemove, &QPushButton::clicked, this, [this] { removeSelected(); });
    connect(dbgnonmember_, &QTableWidget::cellDoubleClicked, this, [this] { addSelected(); });
    connect(dbgmember_, &QTableWidget::cellDoubleClicked, this, [this] { removeSelected(); });
    connect(dbgmember_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { sortMembers(OfflineAccessTable::Columns().value(c)); });
    connect(dbgnonmember_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { sortNonMembers(OfflineAccessTable::Columns().value(c)); });
    connect(bUpload, &QPushButton::clicked, this, [this, bUpload] {
        bUpload->setEnabled(false);
        upload();
        bUpload->setEnabled(true);
    });
    connect(bClose, &QPushButton::clicked, this, [this] { closeWithButton(); });

    refresh();
    LoadFormLayout("OfflineForm", this);
    LoadGridLayout("OfflineMember", dbgmember_);
    LoadGridLayout("OfflineNonmember", dbgnonmember_);
}

void TFmOfflineAccess::fill(QTableWidget* grid, const std::vector<AccessRow>& rows) {
    grid->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const AccessRow& a = rows[size_t(r)];
        grid->setItem(r, 0, new QTableWidgetItem(QString::number(a.cardno)));
        grid->setItem(r, 1, new QTableWidgetItem(a.name));
        grid->setItem(r, 2, new QTableWidgetItem(a.workgroup));
    }
}

void TFmOfflineAccess::refresh() {
    try {
        members_ = table_.members(memberSort_);
        const auto others = table_.nonMembers(nonMemberSort_);
        fill(dbgmember_, members_);
        fill(dbgnonmember_, others);
        gbMember_->setTitle(MemberCaption(int(members_.size())));
        gbNonmember_->setTitle(NonMemberCaption(int(others.size())));
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
}

int TFmOfflineAccess::selectedCard(QTableWidget* grid) {
    const int row = grid->currentRow();
    if (row < 0 || !grid->item(row, 0)) return -1;
    return grid->item(row, 0)->text().toInt();
}

void TFmOfflineAccess::addSelected() {
    const int card = selectedCard(dbgnonmember_);
    if (card < 0 || uploading_) return;
    table_.setMember(card, true);  // a failed update changes nothing and says nothing
    refresh();
}

void TFmOfflineAccess::removeSelected() {
    const int card = selectedCard(dbgmember_);
    if (card < 0 || uploading_) return;
    table_.setMember(card, false);
    refresh();
}

void TFmOfflineAccess::sortMembers(const QString& column) {
    memberSort_ = column;
    refresh();
}

void TFmOfflineAccess::sortNonMembers(const QString& column) {
    nonMemberSort_ = column;
    refresh();
}

bool TFmOfflineAccess::upload() {
    if (uploading_) return false;
    uploading_ = true;
    std::vector<int> cards;
    for (const AccessRow& r : members_) cards.push_back(r.cardno);
    const bool ok = UploadAccessTable(links_, cards, messages_, progress_);
    uploading_ = false;
    return ok;
}

void TFmOfflineAccess::reject() {
    // The upload waits for answers inside this dialog's button.
    if (!uploading_) QDialog::reject();
}

void TFmOfflineAccess::closeWithButton() {
    if (uploading_) return;
    SaveFormLayout("OfflineForm", this);
    SaveGridLayout("OfflineMember", dbgmember_);
    SaveGridLayout("OfflineNonmember", dbgnonmember_);
    accept();
}

}  // namespace horalog
