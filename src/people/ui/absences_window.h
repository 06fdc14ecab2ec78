#pragma once
// "Card Manager" > "Absences": a month of holders' absences as a grid, holders down the side
// and days across, each cell coloured by its absence type or holiday and dotted where the
// holder has reads. Select cells, choose a type and add, or remove. A view over AbsenceMonth.

#include <QAbstractTableModel>
#include <QDialog>
#include <QGroupBox>

#include "people/absence_month.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableView;

namespace horalog {

class Messages;

class AbsenceMonthModel : public QAbstractTableModel {
public:
    explicit AbsenceMonthModel(AbsenceMonth& month, QObject* parent = nullptr)
        : QAbstractTableModel(parent), month_(month) {}
    int rowCount(const QModelIndex& = {}) const override { return int(month_.holders().size()); }
    int columnCount(const QModelIndex& = {}) const override {
        return month_.firstDay().isValid() ? month_.dayCount() : 0;
    }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // After the month changed under the model.
    void refresh() {
        beginResetModel();
        endResetModel();
    }

private:
    AbsenceMonth& month_;
};

class TAbsences : public QDialog {
    Q_OBJECT
public:
    TAbsences(Connection& src, Connection& att, Messages& messages, const QDate& today,
              QWidget* parent = nullptr);

    QTableView* grid() const { return grid_; }
    QComboBox* typeBox() const { return cbType_; }
    QComboBox* halfBox() const { return cbHalf_; }
    QComboBox* groupBox() const { return cbGroup_; }
    QLineEdit* searchBox() const { return edSearch_; }
    QLineEdit* noteBox() const { return edNote_; }
    QDateEdit* monthBox() const { return edMonth_; }
    const AbsenceMonth& month() const { return month_; }

    // The buttons' work: over the selected cells.
    void addAbsence();
    void removeAbsences();
    void showMonth(const QDate& month);

private:
    std::vector<MonthSpot> selectedSpots() const;
    void reload();

    AbsenceMonth month_;
    Messages& messages_;
    AbsenceMonthModel* model_;
    QTableView* grid_;
    QDateEdit* edMonth_;
    QComboBox* cbGroup_;
    QLineEdit* edSearch_;
    QComboBox* cbType_;
    QComboBox* cbHalf_;
    QLineEdit* edNote_;
    QLabel* legend_;
    QLabel* count_;
};

// The holder editor's list of one holder's absences this year, with add and remove. A change
// is stored at once, whatever the editor's own Confirm or Cancel.
class HolderAbsencesBox : public QGroupBox {
    Q_OBJECT
public:
    HolderAbsencesBox(Connection& src, int card, bool holderStored, Messages& messages,
                      const QDate& today, QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }
    QDateEdit* fromBox() const { return edFrom_; }
    QDateEdit* toBox() const { return edTo_; }
    QComboBox* typeBox() const { return cbType_; }
    QComboBox* halfBox() const { return cbHalf_; }
    void addAbsence();
    void removeAbsence();

private:
    void reload();

    AbsenceStore store_;
    int card_;
    int year_;
    Messages& messages_;
    std::vector<Absence> shown_;
    QListWidget* list_;
    QDateEdit* edFrom_;
    QDateEdit* edTo_;
    QComboBox* cbType_;
    QComboBox* cbHalf_;
};

}  // namespace horalog
