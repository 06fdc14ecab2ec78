#pragma once
// "Pick List" (TPickList): the members above, the non-members below, buttons to move holders
// between them. A view over reports/pick_list.h.

#include <QDialog>

#include "attendance/pick_list.h"

class QGroupBox;
class QPushButton;
class QTableView;
class QToolButton;

namespace horalog {

class TPickList : public QDialog {
    Q_OBJECT
public:
    TPickList(Connection& src, QWidget* parent = nullptr);

    QTableView* memberGrid() const { return dbgmember_; }
    QTableView* nonMemberGrid() const { return dbgnonmember_; }
    QGroupBox* memberBox() const { return gbMember_; }
    QGroupBox* nonMemberBox() const { return gbNonmember_; }
    QToolButton* addButton() const { return bAdd_; }
    QToolButton* removeButton() const { return bRemove_; }
    QPushButton* removeAllButton() const { return bRemoveAll_; }
    QPushButton* closeButton() const { return bClose_; }
    PickListModel& members() { return member_; }
    PickListModel& nonMembers() { return nonmember_; }

private:
    void add();
    void remove();
    void removeAll();
    void refreshCaptions();
    void close();

    Connection& src_;
    PickListModel member_;
    PickListModel nonmember_;
    QGroupBox* gbMember_;
    QGroupBox* gbNonmember_;
    QTableView* dbgmember_;
    QTableView* dbgnonmember_;
    QToolButton* bAdd_;
    QToolButton* bRemove_;
    QPushButton* bRemoveAll_;
    QPushButton* bClose_;
};

}  // namespace horalog
