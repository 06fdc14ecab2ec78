#pragma once
// "Work Group Information" (TDlgGrpDef), "Group List" (TDlgGrpList) and "Time Table"
// (TFmTimeTbl): views over group_store.h. Messages go through the Messages port.

#include <QAbstractTableModel>
#include <QDialog>
#include <vector>

#include "people/group_store.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimeEdit;

namespace horalog {

class Messages;

// Fills a group drop-down (the group choice list) and selects the item of groupId.
GroupChoice FillGroupChoice(QComboBox* box, Connection& src, int groupId);

class TDlgGrpDef : public QDialog {
    Q_OBJECT
public:
    TDlgGrpDef(Connection& src, const WorkGroup& group, Messages& messages,
               QWidget* parent = nullptr);
    // The group as confirmed (name trimmed and upper case, times of day).
    const WorkGroup& group() const { return group_; }
    QWidget* field(GroupField f) const;
    QLineEdit* nameBox() const { return edName_; }
    QCheckBox* saturdayBox(int session) const { return session == 1 ? cbSat1_ : cbSat2_; }
    QTimeEdit* timeBox(GroupField f) const;
    QPushButton* confirmButton() const { return bConfirm_; }

private:
    void confirm();
    WorkGroup fromFields() const;

    Connection& src_;
    Messages& messages_;
    WorkGroup group_;
    QLineEdit* edName_;
    QTimeEdit* times_[8];  // WdFrom1 .. SatTo2 without the check boxes, in field order
    QCheckBox* cbSat1_;
    QCheckBox* cbSat2_;
    QSpinBox* spOtMin_;
    QSpinBox* spOtMulti_;
    QPushButton* bConfirm_;
};

// The grid of "Group List": every group in ID order.
class GroupListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GroupListModel(Connection& src, QObject* parent = nullptr);
    void reload();
    const std::vector<WorkGroup>& groups() const { return groups_; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Connection& src_;
    std::vector<WorkGroup> groups_;
};

class TDlgGrpList : public QDialog {
    Q_OBJECT
public:
    TDlgGrpList(Connection& src, Messages& messages, QWidget* parent = nullptr);
    QTableView* grid() const { return grid_; }
    GroupListModel* model() const { return model_; }
    // The buttons' actions; an editor is created for New and Edit.
    void newGroup();
    void editGroup();
    void deleteGroup();

private:
    int currentId() const;
    void runEditor(const WorkGroup& initial);
    void closeList();

    Connection& src_;
    Messages& messages_;
    GroupListModel* model_;
    QTableView* grid_;
};

// The grid of "Time Table": one group's periods by IN time.
class TimetableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TimetableModel(Connection& src, QObject* parent = nullptr);
    void show(int gid);
    const std::vector<TimetableRow>& rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Connection& src_;
    int gid_ = 0;
    std::vector<TimetableRow> rows_;
};

class TFmTimeTbl : public QDialog {
    Q_OBJECT
public:
    TFmTimeTbl(Connection& src, Messages& messages, QWidget* parent = nullptr);
    QComboBox* groupBox() const { return cbGroup_; }
    QTimeEdit* inBox() const { return edIn_; }
    QTimeEdit* outBox() const { return edOut_; }
    QTableView* grid() const { return grid_; }
    TimetableModel* model() const { return model_; }
    void addPeriod();
    void deletePeriod();

private:
    int groupId() const;
    void closeTable();

    Connection& src_;
    Messages& messages_;
    QComboBox* cbGroup_;
    QTimeEdit* edIn_;
    QTimeEdit* edOut_;
    TimetableModel* model_;
    QTableView* grid_;
};

}  // namespace horalog
