#pragma once
// "Offline Reader": the dialog over OfflineManager, in settings mode or master PIN mode.

#include <QDialog>
#include <array>
#include <vector>

#include "offline/offline_manager.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace horalog {

enum class OfflineDialogMode { Settings, MasterPin };

class TDlgOffline : public QDialog {
    Q_OBJECT
public:
    TDlgOffline(ReaderLinks& links, Tdsrc& store, Messages& messages, Progress& progress,
                OfflineDialogMode mode, QWidget* parent = nullptr, Clock now = SystemClock());

    // Before exec: "No communication port enabled." and false when no link is enabled;
    // otherwise selects the stored port and reads the reader (settings or master PIN).
    bool prepare();

    OfflineManager& manager() { return manager_; }
    const std::vector<ReaderPort>& ports() const { return ports_; }
    // The values the controls hold now.
    OfflineValues values() const;
    int currentPort() const;  // port number of the selection, 0 for none

    // Controls, for tests
    QComboBox* portList() const { return cbport_; }
    QSpinBox* pinBox() const { return sePin_; }
    QSpinBox* masterPinBox() const { return seMaster_; }
    QComboBox* modeList(int k) const { return cbmode_[size_t(k)]; }
    QTimeEdit* timeEdit(int k) const { return tetime_[size_t(k)]; }
    QCheckBox* clearAfterBox() const { return cbClearAfter_; }
    QCheckBox* setClockBox() const { return cbSetClock_; }
    QLineEdit* line1Edit() const { return edLine1_; }
    QLineEdit* line2Edit() const { return edLine2_; }
    QGroupBox* timetableGroup() const { return gbTimetable_; }
    QLineEdit* clockField() const { return edClock_; }
    QLineEdit* statusField() const { return edStatus_; }

    // The buttons' work
    void chooseport(int index);
    void synchronizeClock();
    void put();
    DownloadResult download();
    void clearRecord();
    void putMasterPin();
    void uploadCardInformation();
    void closeWithButton();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void build();
    void buildMasterPin();
    void showValues(const OfflineValues& v);
    void applyMode(int mode);
    void readReader();
    // Runs a workflow with the buttons disabled, so a second one cannot start meanwhile.
    template <typename F>
    auto guarded(F work) -> decltype(work());

    Messages& messages_;
    OfflineDialogMode mode_;
    Clock now_;
    OfflineManager manager_;
    std::vector<ReaderPort> ports_;
    OfflineValues initial_;
    QString loadError_;

    QWidget* body_ = nullptr;
    QComboBox* cbport_ = nullptr;
    QPushButton* bSync_ = nullptr;
    QGroupBox* gbReader_ = nullptr;
    QGroupBox* gbRecord_ = nullptr;
    QGroupBox* gbSettings_ = nullptr;
    QGroupBox* gbTimetable_ = nullptr;
    QGroupBox* gbOptions_ = nullptr;
    QGroupBox* gbMaster_ = nullptr;
    QCheckBox* cbClearAfter_ = nullptr;
    QCheckBox* cbSetClock_ = nullptr;
    std::array<QComboBox*, kTimetableEntries> cbmode_{};
    std::array<QTimeEdit*, kTimetableEntries> tetime_{};
    std::array<QCheckBox*, 5> cbOption_{};
    QLineEdit* edLine1_ = nullptr;
    QLineEdit* edLine2_ = nullptr;
    QLineEdit* edClock_ = nullptr;
    QSpinBox* sePin_ = nullptr;
    QSpinBox* seMaster_ = nullptr;
    QLineEdit* edStatus_ = nullptr;
    QPushButton* bClose_ = nullptr;
};

}  // namespace horalog
