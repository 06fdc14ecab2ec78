#pragma once
// The scope dialogs of the printouts and exports: TSetScope, TSetLateScope (one span, also the
// overnight report's), TSetnLateScope (two sessions), the who's-status dialog Twhoscope and
// the holder-only TdlgStaffs ("Select Staffs"). Thin views: settings, periods and checks live
// in reports/report_parameters.h and reports/scope_hours.h.

#include <QDialog>

#include "common/datetime.h"
#include "attendance/report_parameters.h"
#include "attendance/scope_hours.h"
#include "storage/database.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QDateTimeEdit;
class QGroupBox;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace horalog {

class Messages;
class TPersonsBox;

// Controls a launching report or export may hide.
enum class ScopeControl {
    Persons,
    Dates,
    RecordsOfInterest,
    RecordsPerLine,
    RecordFormat,
    BlankLines,
    NewPage,
    Enhanced,
    PreviewOnly,
};

// What the three period-and-persons dialogs share.
class TScopeDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog's choices as the report reads them after "Confirm".
    ReportParameters parameters() const;

    // Hidden controls keep their values; the report reads them all the same.
    void hideControl(ScopeControl control);
    QWidget* control(ScopeControl control) const;
    // The hidden "First In and Last Out Only", set by the launching report.
    void setFirstInLastOutOnly(bool on);

    TPersonsBox* personsBox() const { return persons_; }
    QAbstractButton* periodButton(PeriodChoice choice) const;
    QDateTimeEdit* fromPicker() const { return dtFrom_; }
    QDateTimeEdit* toPicker() const { return dtTo_; }
    QAbstractButton* recordsButton(RecordsOfInterest r) const;
    QAbstractButton* formatButton(int index) const;
    QAbstractButton* perLineButton(int perLine) const;  // nullptr without "Records per line"
    QCheckBox* optionBox(ScopeControl option) const;
    QCheckBox* firstInLastOutBox() const { return cbFilo_; }
    QPushButton* confirmButton() const { return bConfirm_; }
    QPushButton* cancelButton() const { return bCancel_; }

protected:
    TScopeDialog(ScopeDialog kind, Connection& src, Messages& messages, DateTime now,
                 QWidget* parent);
    // Refusal: focus the field, "Invalid input.", stay open. Answers false when refused.
    bool refuse(QWidget* focus);
    // The late dialogs' checks and their own settings; the base has none.
    virtual bool check() { return true; }
    virtual void storeExtra() {}

    Connection& src_;
    Messages& messages_;
    QWidget* extraColumn_;  // where the late dialogs put their hidden working hours

private:
    void confirm();
    void updatePickers();

    ScopeDialog kind_;
    TPersonsBox* persons_;
    QGroupBox* gbDates_;
    QButtonGroup* period_;
    QDateTimeEdit* dtFrom_;
    QDateTimeEdit* dtTo_;
    QGroupBox* gbRecords_;
    QButtonGroup* records_;
    QGroupBox* gbPerLine_ = nullptr;
    QButtonGroup* perLine_ = nullptr;
    QGroupBox* gbFormat_;
    QButtonGroup* format_;
    QCheckBox* cbBlank_;
    QCheckBox* cbNewPage_;
    QCheckBox* cbEnhance_;
    QCheckBox* cbPreview_;
    QCheckBox* cbFilo_;
    QPushButton* bConfirm_;
    QPushButton* bCancel_;
};

class TSetScope : public TScopeDialog {
    Q_OBJECT
public:
    // Opens on "All" whatever was chosen last; the rest comes from the settings.
    TSetScope(Connection& src, Messages& messages, DateTime now, QWidget* parent = nullptr);
};

class TSetLateScope : public TScopeDialog {
    Q_OBJECT
public:
    TSetLateScope(Connection& src, Messages& messages, DateTime now, QWidget* parent = nullptr);

    // Overnight mode skips the checks of "Confirm" and the loading of a group's hours.
    void setOvernight(bool on) { overnight_ = on; }
    bool overnight() const { return overnight_; }
    LateScopeHours hours() const;
    QGroupBox* workingHoursBox() const { return gbHours_; }
    // The field the last refused "Confirm" named (hidden fields cannot take the focus).
    ScopeField refusedAt() const { return refusedAt_; }

protected:
    bool check() override;
    void storeExtra() override;

private:
    void setHours(const LateScopeHours& h);
    void loadGroup(const QString& name);

    bool overnight_ = false;
    ScopeField refusedAt_ = ScopeField::None;
    QGroupBox* gbHours_;
    QTimeEdit* stdStart_;
    QTimeEdit* stdEnd_;
    QCheckBox* satEnable_;
    QTimeEdit* satStart_;
    QTimeEdit* satEnd_;
    QSpinBox* otMin_;
    QSpinBox* otMulti_;
    QSpinBox* otFree_;
};

class TSetnLateScope : public TScopeDialog {
    Q_OBJECT
public:
    TSetnLateScope(Connection& src, Messages& messages, DateTime now, QWidget* parent = nullptr);

    TwoSessionScopeHours hours() const;
    QGroupBox* workingHoursBox() const { return gbHours_; }
    ScopeField refusedAt() const { return refusedAt_; }

protected:
    bool check() override;
    void storeExtra() override;

private:
    void setHours(const TwoSessionScopeHours& h);
    void loadGroup(const QString& name);

    ScopeField refusedAt_ = ScopeField::None;
    QGroupBox* gbHours_;
    QTimeEdit* times_[8];  // std1 start, end, std2 start, end, sat1 start, end, sat2 start, end
    QCheckBox* sat1Enable_;
    QCheckBox* sat2Enable_;
    QSpinBox* otMin_;
    QSpinBox* otMulti_;
    QSpinBox* otFree_;
};

// The who's-status dialog ("Who's Status"): one day, the persons, records per line, record
// format and three options. "Confirm" stores five settings without a check.
class Twhoscope : public QDialog {
    Q_OBJECT
public:
    Twhoscope(Connection& src, DateTime now, QWidget* parent = nullptr);

    ReportParameters parameters() const;
    void hideRecordsPerLine();

    TPersonsBox* personsBox() const { return persons_; }
    QDateTimeEdit* dayPicker() const { return dtDay_; }
    QGroupBox* perLineBox() const { return gbPerLine_; }
    QAbstractButton* perLineButton(int perLine) const;
    QAbstractButton* formatButton(int index) const;
    QCheckBox* enhancedBox() const { return cbEnhance_; }
    QCheckBox* previewBox() const { return cbPreview_; }
    QCheckBox* newPageBox() const { return cbNewPage_; }
    QPushButton* confirmButton() const { return bConfirm_; }
    QPushButton* cancelButton() const { return bCancel_; }

private:
    void confirm();

    TPersonsBox* persons_;
    QDateTimeEdit* dtDay_;
    QGroupBox* gbPerLine_;
    QButtonGroup* perLine_;
    QButtonGroup* format_;
    QCheckBox* cbEnhance_;
    QCheckBox* cbPreview_;
    QCheckBox* cbNewPage_;
    QCheckBox* cbFilo_;  // belongs to the dialog, unused
    QPushButton* bConfirm_;
    QPushButton* bCancel_;
};

// "Select Staffs": the persons box and "Preview"; nothing is restored or stored.
class TdlgStaffs : public QDialog {
    Q_OBJECT
public:
    TdlgStaffs(Connection& src, QWidget* parent = nullptr);

    TPersonsBox* personsBox() const { return persons_; }
    QCheckBox* previewBox() const { return cbPreview_; }
    bool preview() const;
    QPushButton* confirmButton() const { return bConfirm_; }
    QPushButton* cancelButton() const { return bCancel_; }

private:
    TPersonsBox* persons_;
    QCheckBox* cbPreview_;
    QPushButton* bConfirm_;
    QPushButton* bCancel_;
};

}  // namespace horalog
