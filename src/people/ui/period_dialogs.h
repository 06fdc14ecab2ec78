#pragma once
// "Database" > "Close Period..." and "Reopen Period...": the state of the closed period and the
// day to close up to, or to reopen from. The work is RunClosePeriod's and RunReopenPeriod's.

#include <QDialog>

#include "people/period_close.h"

class QDateEdit;
class QLabel;

namespace horalog {

class TPeriodDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Close, Reopen };
    TPeriodDialog(Mode mode, Connection& src, Messages& messages, PasswordPrompts& prompts,
                  const QDate& today, QWidget* parent = nullptr);
    QDateEdit* dateBox() const { return edDate_; }
    QLabel* stateLabel() const { return state_; }
    QLabel* effectLabel() const { return effect_; }
    bool changed() const { return changed_; }
    // The OK button's work.
    void confirm();

private:
    void showEffect();

    Mode mode_;
    Connection& src_;
    Messages& messages_;
    PasswordPrompts& prompts_;
    PeriodState period_;
    QDateEdit* edDate_;
    QLabel* state_;
    QLabel* effect_;
    bool changed_ = false;
};

}  // namespace horalog
