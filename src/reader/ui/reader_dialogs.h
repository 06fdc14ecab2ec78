#pragma once
// The reader list "Setup" (TSetReader) and the reader editor "RFID Reader" (Tcommedit): views
// over reader/reader_setup.h.

#include <QAbstractTableModel>
#include <QDialog>
#include <QImage>
#include <QStyledItemDelegate>
#include <vector>

#include "reader/reader_setup.h"
#include "storage/lookups.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;

namespace horalog {

class Messages;
class ReaderLinks;
struct PortHooks;

// The list's cell pictures, drawn once: BM_CHECK, BM_STOP, BM_UNCHECK, BM_DISABLE, BM_CAMERA,
// BM_MCAM. Transparent where the cell shows through.
QImage ReaderCellPicture(ReaderCellImage image);
const char* ReaderCellPictureName(ReaderCellImage image);

// Which picture a cell shows (an int of ReaderCellImage), for the delegate and tests.
inline constexpr int kReaderImageRole = 0x0100 + 78;  // Qt::UserRole + 78

// The grid of "Setup": the eight rows of the reader table.
class ReaderListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PortNo, Enable, Desc, Mode, OutPort, BpPort, LockTime, Apb, Capture, Motion };
    ReaderListModel(Connection& src, const ReaderSetup& setup, QObject* parent = nullptr);
    void reload();
    const std::vector<ReaderRow>& rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Connection& src_;
    const ReaderSetup& setup_;
    std::vector<ReaderRow> rows_;
    ReaderNames names_;
};

// Clears the cell, then draws its picture or its text 2 pixels right of and below the
// cell's top left corner.
class ReaderCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

class Tcommedit : public QDialog {
    Q_OBJECT
public:
    // Confirm stores through setup; lockChoices fill both lock lists.
    Tcommedit(ReaderSetup& setup, const ReaderEditorState& state, const QStringList& lockChoices,
              QWidget* parent = nullptr);
    // The controls as they stand.
    ReaderEditorState state() const;

    QGroupBox* portGroup() const { return gbPort_; }
    QCheckBox* connectedBox() const { return cbConnected_; }
    QLineEdit* descriptionBox() const { return edDesc_; }
    QComboBox* modeList() const { return cbMode_; }
    QLineEdit* deviceBox() const { return edDevice_; }
    QCheckBox* apbBox() const { return cbApb_; }
    QComboBox* lockList() const { return cbLock_; }
    QComboBox* bypassList() const { return cbBypass_; }
    QSpinBox* releaseTimeBox() const { return spRelease_; }
    QComboBox* readerTypeList() const { return cbType_; }
    QCheckBox* captureOnReadBox() const { return cbCapRead_; }
    QCheckBox* captureOnBypassBox() const { return cbCapBypass_; }
    QRadioButton* singleShotButton() const { return rbSingle_; }
    QRadioButton* multipleShotButton() const { return rbMultiple_; }
    QSpinBox* secondsBox() const { return spSeconds_; }
    QPushButton* confirmButton() const { return bConfirm_; }
    QPushButton* cancelButton() const { return bCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void load(const ReaderEditorState& s);
    void applyModeRule();
    void updateEnabled();
    void confirm();

    ReaderSetup& setup_;
    int port_;
    QGroupBox* gbPort_;
    QCheckBox* cbConnected_;
    QLineEdit* edDesc_;
    QComboBox* cbMode_;
    QLineEdit* edDevice_;
    QCheckBox* cbApb_;
    QComboBox* cbLock_;
    QComboBox* cbBypass_;
    QSpinBox* spRelease_;
    QComboBox* cbType_;
    QCheckBox* cbCapRead_;
    QCheckBox* cbCapBypass_;
    QGroupBox* gbShots_;
    QRadioButton* rbSingle_;
    QRadioButton* rbMultiple_;
    QSpinBox* spSeconds_;
    QPushButton* bConfirm_;
    QPushButton* bCancel_;
};

class TSetReader : public QDialog {
    Q_OBJECT
public:
    TSetReader(Connection& src, ReaderLinks& links, Messages& messages, QWidget* parent = nullptr);
    // Saves the window and grid layouts.
    ~TSetReader() override;

    ReaderSetup& setup() { return setup_; }
    QTableView* grid() const { return grid_; }
    ReaderListModel* model() const { return model_; }
    QPushButton* editButton() const { return bEdit_; }
    QPushButton* confirmButton() const { return bConfirm_; }
    QPushButton* enableAllButton() const { return bEnableAll_; }

    // "Edit", double click, "Edit record": the editor for the current row, run modally.
    void editCurrent();
    // "Confirm": the offline-reader warning when due, then closed with the result "cancel".
    void confirmList();
    // "Enable All": closed with the result OK, unless the table ran out of rows.
    void enableAll();

private:
    Connection& src_;
    Messages& messages_;
    ReaderSetup setup_;
    ReaderListModel* model_;
    QTableView* grid_;
    QPushButton* bEdit_;
    QPushButton* bConfirm_;
    QPushButton* bEnableAll_;
};

// "Setup" > "Readers": the list modally, then the ports reopened: all of them after "Enable
// All", the changed ones after any other close. Answers the dialog's result.
int RunReadersCommand(Connection& src, ReaderLinks& links, const PortHooks& hooks,
                      Messages& messages, QWidget* parent);

}  // namespace horalog
