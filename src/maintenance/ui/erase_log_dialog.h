#pragma once
// "Erase Attendance Records": the scope of Erase Log Database. The work is EraseLogDatabase.

#include <QDialog>
#include <optional>

#include "common/datetime.h"
#include "maintenance/maintenance.h"

class QDateEdit;
class QRadioButton;

namespace horalog {

class TEraseLogDialog : public QDialog {
    Q_OBJECT
public:
    TEraseLogDialog(const Clock& clock, QWidget* parent = nullptr);

    EraseLogChoice choice() const;
    QRadioButton* allButton() const { return rbAll_; }
    QRadioButton* beforeButton() const { return rbBefore_; }
    QDateEdit* datePicker() const { return dtBefore_; }

    // Shows the dialog; the choice on Confirm, nothing on Cancel.
    static std::optional<EraseLogChoice> ask(QWidget* parent, const Clock& clock);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRadioButton* rbAll_;
    QRadioButton* rbBefore_;
    QDateEdit* dtBefore_;
};

}  // namespace horalog
