#pragma once
// "Setup" > "Absence Types": the types of absence, each a letter, a name, whether and how many
// hours of the day are paid, and the colour the Absences window shows it in.

#include <QDialog>

#include "people/absences.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QTableWidget;

namespace horalog {

class Messages;

class TAbsenceTypes : public QDialog {
    Q_OBJECT
public:
    TAbsenceTypes(Connection& src, Messages& messages, QWidget* parent = nullptr);

    QTableWidget* list() const { return list_; }
    QLineEdit* codeBox() const { return edCode_; }
    QLineEdit* nameBox() const { return edName_; }
    QCheckBox* paidBox() const { return cbPaid_; }
    QComboBox* hoursChoice() const { return cbHours_; }
    QDoubleSpinBox* hoursBox() const { return spHours_; }
    QLineEdit* colourBox() const { return edColour_; }

    void save();
    void deleteType();

private:
    void reload(const QString& select = {});
    void showType(int row);
    AbsenceType edited() const;

    AbsenceStore store_;
    Messages& messages_;
    std::vector<AbsenceType> types_;
    QTableWidget* list_;
    QLineEdit* edCode_;
    QLineEdit* edName_;
    QCheckBox* cbPaid_;
    QComboBox* cbHours_;
    QDoubleSpinBox* spHours_;
    QLineEdit* edColour_;
};

}  // namespace horalog
