#pragma once
// "Audit Trail": the audit rows newest first, fetched as the grid scrolls, with a date range,
// a text filter and an export to CSV. A view over AuditModel.

#include <QDialog>

#include "storage/audit_model.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QTableView;

namespace horalog {

class FileDialogs;
class Messages;

class TAuditTrail : public QDialog {
    Q_OBJECT
public:
    TAuditTrail(Connection& src, Messages& messages, FileDialogs& files, QDate today,
                QWidget* parent = nullptr);

    AuditModel* model() const { return model_; }
    QTableView* grid() const { return grid_; }
    QCheckBox* rangeBox() const { return cbRange_; }
    QDateEdit* fromDate() const { return dtFrom_; }
    QDateEdit* toDate() const { return dtTo_; }
    QLineEdit* textFilter() const { return edText_; }
    void applyFilter();
    void exportCsv();

private:
    Connection& src_;
    Messages& messages_;
    FileDialogs& files_;
    AuditModel* model_;
    QTableView* grid_;
    QCheckBox* cbRange_;
    QDateEdit* dtFrom_;
    QDateEdit* dtTo_;
    QLineEdit* edText_;
};

}  // namespace horalog
