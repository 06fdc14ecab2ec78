#include "people/ui/period_dialogs.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ports.h"

namespace horalog {

TPeriodDialog::TPeriodDialog(Mode mode, Connection& src, Messages& messages,
                             PasswordPrompts& prompts, const QDate& today, QWidget* parent)
    : QDialog(parent), mode_(mode), src_(src), messages_(messages), prompts_(prompts) {
    const bool closing = mode == Mode::Close;
    setWindowTitle(closing ? "Close Period" : "Reopen Period");
    try {
        period_ = CurrentPeriod(src);
    } catch (const DbError& e) {
        messages_.error(e.text());
    }
    auto* layout = new QVBoxLayout(this);
    state_ = new QLabel(period_.closedTo.isValid()
                            ? QString("Closed up to %1 (%2).")
                                  .arg(period_.closedTo.toString(Qt::ISODate), period_.Text())
                            : QString("No day is closed."),
                        this);
    state_->setObjectName("lbState");
    layout->addWidget(state_);
    auto* form = new QFormLayout;
    // Closing: the end of last month; reopening: the first day of the last closed month.
    const QDate lastMonthEnd = QDate(today.year(), today.month(), 1).addDays(-1);
    const QDate reopenFrom = period_.closedTo.isValid()
                                 ? QDate(period_.closedTo.year(), period_.closedTo.month(), 1)
                                 : today;
    edDate_ = new QDateEdit(closing ? lastMonthEnd : reopenFrom, this);
    edDate_->setObjectName("edDate");
    edDate_->setDisplayFormat("yyyy-MM-dd");
    edDate_->setCalendarPopup(true);
    form->addRow(closing ? "Close every day up to" : "Reopen from", edDate_);
    layout->addLayout(form);
    effect_ = new QLabel(this);
    effect_->setObjectName("lbEffect");
    effect_->setWordWrap(true);
    layout->addWidget(effect_);
    auto* buttons = new QHBoxLayout;
    auto* bOk = new QPushButton(closing ? "Close Period" : "Reopen", this);
    bOk->setObjectName("bOk");
    bOk->setDefault(true);
    auto* bCancel = new QPushButton("Cancel", this);
    buttons->addStretch();
    buttons->addWidget(bOk);
    buttons->addWidget(bCancel);
    layout->addLayout(buttons);
    connect(edDate_, &QDateEdit::dateChanged, this, &TPeriodDialog::showEffect);
    connect(bOk, &QPushButton::clicked, this, &TPeriodDialog::confirm);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    showEffect();
}

void TPeriodDialog::showEffect() {
    const QDate day = edDate_->date();
    if (mode_ == Mode::Reopen) {
        effect_->setText(ReopenText(period_, day));
        return;
    }
    effect_->setText(period_.Closes(day)
                         ? PeriodClosedText(period_.closedTo)
                         : "Manual records and absences up to this day will be refused; the "
                           "doors go on logging every read.");
}

void TPeriodDialog::confirm() {
    const QDate day = edDate_->date();
    changed_ = mode_ == Mode::Close ? RunClosePeriod(src_, day, messages_)
                                    : RunReopenPeriod(src_, day, messages_, prompts_);
    if (changed_) accept();
}

}  // namespace horalog
