#pragma once
// "Auto IN/OUT Timer" (TAutoIO): the daily IN periods and the two options, a view over
// capture/auto_io_setup.h.

#include <QAbstractTableModel>
#include <QDialog>
#include <vector>

#include "capture/auto_io_setup.h"

class QCheckBox;
class QPushButton;
class QTableView;
class QTimeEdit;

namespace horalog {

class Connection;
class Messages;

// The grid of "IN Time List": "From" and "To" in start order.
class IoTimeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit IoTimeModel(Connection& src, QObject* parent = nullptr);
    void reload();
    const std::vector<IoTimeRow>& rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Connection& src_;
    std::vector<IoTimeRow> rows_;
};

class TAutoIO : public QDialog {
    Q_OBJECT
public:
    TAutoIO(Connection& src, Messages& messages, QWidget* parent = nullptr);

    QCheckBox* enableBox() const { return cbEnable_; }
    QCheckBox* overrideBox() const { return cbOverride_; }
    QTimeEdit* fromBox() const { return edFrom_; }
    QTimeEdit* toBox() const { return edTo_; }
    QTableView* grid() const { return grid_; }
    IoTimeModel* model() const { return model_; }
    QPushButton* addButton() const { return bAdd_; }
    QPushButton* deleteButton() const { return bDelete_; }
    QPushButton* closeButton() const { return bClose_; }

    void addPeriod();
    void deletePeriod();

private:
    void closeDialog();

    Connection& src_;
    Messages& messages_;
    QCheckBox* cbEnable_;
    QCheckBox* cbOverride_;
    IoTimeModel* model_;
    QTableView* grid_;
    QTimeEdit* edFrom_;
    QTimeEdit* edTo_;
    QPushButton* bAdd_;
    QPushButton* bDelete_;
    QPushButton* bClose_;
};

}  // namespace horalog
