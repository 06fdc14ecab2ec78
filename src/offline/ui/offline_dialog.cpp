#include "offline/ui/offline_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/ports.h"
#include "reader/reader_ports.h"

namespace horalog {

namespace {
const char* const kOptionCaptions[5] = {"Back Light On", "Bypass Allowed", "Any Card Bypass",
                                        "Door Magnet", "Lock Reverse"};
}

TDlgOffline::TDlgOffline(ReaderLinks& links, Tdsrc& store, Messages& messages, Progress& progress,
                         OfflineDialogMode mode, QWidget* parent, Clock now)
    : QDialog(parent),
      messages_(messages),
      mode_(mode),
      now_(now),
      manager_(links, store, messages, progress, now),
      ports_(EnabledReaderPorts(links)) {
    build();
    loadError_ = LoadOfflineValues(initial_);
    showValues(initial_);
    manager_.onStatus = [this](const QString& step) {
        edStatus_->setText(step);
        edStatus_->setVisible(!step.isEmpty());
    };
    if (mode_ == OfflineDialogMode::MasterPin) buildMasterPin();
}

void TDlgOffline::build() {
    setWindowTitle("Offline Reader");
    auto* outer = new QVBoxLayout(this);
    body_ = new QWidget(this);
    auto* grid = new QGridLayout(body_);
    grid->setContentsMargins(0, 0, 0, 0);

    gbReader_ = new QGroupBox("Reader", body_);
    auto* readerLayout = new QVBoxLayout(gbReader_);
    cbport_ = new QComboBox(gbReader_);
    for (const ReaderPort& p : ports_) cbport_->addItem(p.desc);
    bSync_ = new QPushButton("Synchronize PC's Clock", gbReader_);
    readerLayout->addWidget(cbport_);
    readerLayout->addWidget(bSync_);
    grid->addWidget(gbReader_, 0, 0);

    gbRecord_ = new QGroupBox("Attendance Record", body_);
    auto* recordLayout = new QVBoxLayout(gbRecord_);
    cbClearAfter_ = new QCheckBox("Clear After Download", gbRecord_);
    auto* bDownload = new QPushButton("Download from Reader", gbRecord_);
    auto* bClear = new QPushButton("Clear Record", gbRecord_);
    recordLayout->addWidget(cbClearAfter_);
    recordLayout->addWidget(bDownload);
    recordLayout->addWidget(bClear);
    grid->addWidget(gbRecord_, 1, 0);

    gbSettings_ = new QGroupBox("Reader Settings", body_);
    auto* settings = new QGridLayout(gbSettings_);
    gbTimetable_ = new QGroupBox("Auto IN/OUT Timetable", gbSettings_);
    auto* tt = new QGridLayout(gbTimetable_);
    for (int k = 0; k < kTimetableEntries; ++k) {
        tetime_[size_t(k)] = new QTimeEdit(gbTimetable_);
        tetime_[size_t(k)]->setDisplayFormat("HH:mm");
        cbmode_[size_t(k)] = new QComboBox(gbTimetable_);
        cbmode_[size_t(k)]->addItems({"Not Used", "IN", "OUT"});
        tt->addWidget(tetime_[size_t(k)], k, 0);
        tt->addWidget(cbmode_[size_t(k)], k, 1);
    }
    settings->addWidget(gbTimetable_, 0, 0, 3, 1);

    auto* gbLcd = new QGroupBox("LCD Display", gbSettings_);
    auto* lcd = new QGridLayout(gbLcd);
    edLine1_ = new QLineEdit(gbLcd);
    edLine2_ = new QLineEdit(gbLcd);
    edLine1_->setMaxLength(kDisplayWidth);
    edLine2_->setMaxLength(kDisplayWidth);
    edLine1_->hide();
    edLine2_->hide();
    edClock_ = new QLineEdit(gbLcd);
    edClock_->setReadOnly(true);
    lcd->addWidget(edLine1_, 0, 0, 1, 2);
    lcd->addWidget(edLine2_, 1, 0, 1, 2);
    lcd->addWidget(new QLabel("Clock", gbLcd), 2, 0);
    lcd->addWidget(edClock_, 2, 1);
    settings->addWidget(gbLcd, 0, 1);

    auto* gbPin = new QGroupBox("PIN", gbSettings_);
    auto* pinLayout = new QHBoxLayout(gbPin);
    sePin_ = new QSpinBox(gbPin);
    sePin_->setRange(0, 65535);
    pinLayout->addWidget(sePin_);
    settings->addWidget(gbPin, 1, 1);

    auto* gbPut = new QGroupBox("Put Settings", gbSettings_);
    auto* putLayout = new QVBoxLayout(gbPut);
    cbSetClock_ = new QCheckBox("Set Clock Together", gbPut);
    auto* bPut = new QPushButton("Put", gbPut);
    putLayout->addWidget(cbSetClock_);
    putLayout->addWidget(bPut);
    settings->addWidget(gbPut, 2, 1);

    // Present but never shown: the options, reading settings on demand, the card upload.
    gbOptions_ = new QGroupBox("Options", gbSettings_);
    auto* opt = new QVBoxLayout(gbOptions_);
    for (int b = 0; b < 5; ++b) {
        cbOption_[size_t(b)] = new QCheckBox(kOptionCaptions[b], gbOptions_);
        opt->addWidget(cbOption_[size_t(b)]);
    }
    gbOptions_->hide();
    auto* gbGet = new QGroupBox("Get Settings", gbSettings_);
    gbGet->hide();
    auto* gbCard = new QGroupBox("Card Information", gbSettings_);
    auto* cardLayout = new QVBoxLayout(gbCard);
    auto* bUpload = new QPushButton("Upload to Reader", gbCard);
    cardLayout->addWidget(bUpload);
    gbCard->hide();
    grid->addWidget(gbSettings_, 0, 1, 2, 1);

    gbMaster_ = new QGroupBox("Master PIN", body_);
    auto* master = new QVBoxLayout(gbMaster_);
    seMaster_ = new QSpinBox(gbMaster_);
    seMaster_->setRange(0, 65535);
    auto* bMasterPut = new QPushButton("Put", gbMaster_);
    master->addWidget(seMaster_);
    master->addWidget(bMasterPut);
    master->addWidget(new QLabel("'0' to disable Master PIN", gbMaster_));
    gbMaster_->hide();
    grid->addWidget(gbMaster_, 1, 0);

    outer->addWidget(body_);
    auto* bottom = new QHBoxLayout;
    edStatus_ = new QLineEdit(this);
    edStatus_->setReadOnly(true);
    edStatus_->hide();
    bClose_ = new QPushButton("Close", this);
    bottom->addWidget(edStatus_);
    bottom->addStretch();
    bottom->addWidget(bClose_);
    outer->addLayout(bottom);

    connect(cbport_, &QComboBox::activated, this, [this](int i) { chooseport(i); });
    connect(bSync_, &QPushButton::clicked, this, [this] { synchronizeClock(); });
    connect(bDownload, &QPushButton::clicked, this, [this] { download(); });
    connect(bClear, &QPushButton::clicked, this, [this] { clearRecord(); });
    connect(bPut, &QPushButton::clicked, this, [this] { put(); });
    connect(bUpload, &QPushButton::clicked, this, [this] { uploadCardInformation(); });
    connect(bMasterPut, &QPushButton::clicked, this, [this] { putMasterPin(); });
    connect(bClose_, &QPushButton::clicked, this, [this] { closeWithButton(); });
}

void TDlgOffline::buildMasterPin() {
    setWindowTitle("Master PIN");
    gbRecord_->hide();
    gbSettings_->hide();
    bSync_->hide();
    gbMaster_->show();
    setFixedSize(182, 200);
}

void TDlgOffline::showValues(const OfflineValues& v) {
    edLine1_->setText(v.line1);
    edLine2_->setText(v.line2);
    sePin_->setValue(v.pin);
    for (int k = 0; k < kTimetableEntries; ++k) {
        const TimetableEntry& e = v.timetable[size_t(k)];
        QComboBox* list = cbmode_[size_t(k)];
        list->setCurrentIndex(e.mode >= 0 && e.mode < list->count() ? e.mode : 0);
        tetime_[size_t(k)]->setTime(QTime(e.hour, e.minute));
    }
    cbClearAfter_->setChecked(v.clearAfter);
    cbSetClock_->setChecked(v.setClock);
    for (int b = 0; b < 5; ++b) cbOption_[size_t(b)]->setChecked(v.options & (1 << b));
    if (v.readerClock != DateTime())
        edClock_->setText(FormatDateTime("HH:mm:ss - dd/mmm/yyyy", v.readerClock));
    seMaster_->setValue(v.masterPin);
}

OfflineValues TDlgOffline::values() const {
    OfflineValues v = initial_;
    v.portIndex = cbport_->currentIndex();
    v.line1 = edLine1_->text();
    v.line2 = edLine2_->text();
    v.pin = sePin_->value();
    for (int k = 0; k < kTimetableEntries; ++k) {
        TimetableEntry& e = v.timetable[size_t(k)];
        e.mode = cbmode_[size_t(k)]->currentIndex();
        const QTime t = tetime_[size_t(k)]->time();
        e.hour = t.hour();
        e.minute = t.minute();
    }
    v.clearAfter = cbClearAfter_->isChecked();
    v.setClock = cbSetClock_->isChecked();
    v.options = 0;
    for (int b = 0; b < 5; ++b)
        if (cbOption_[size_t(b)]->isChecked()) v.options |= 1 << b;
    v.masterPin = seMaster_->value();
    return v;
}

int TDlgOffline::currentPort() const {
    const int i = cbport_->currentIndex();
    return i >= 0 && i < int(ports_.size()) ? ports_[size_t(i)].port : 0;
}

template <typename F>
auto TDlgOffline::guarded(F work) -> decltype(work()) {
    body_->setEnabled(false);
    bClose_->setEnabled(false);
    struct Enable {
        TDlgOffline* d;
        ~Enable() {
            d->body_->setEnabled(true);
            d->bClose_->setEnabled(true);
        }
    } enable{this};
    return work();
}

bool TDlgOffline::prepare() {
    if (!loadError_.isEmpty()) messages_.error(loadError_);
    if (ports_.empty()) {
        messages_.error(offline_text::kNoPort);
        return false;
    }
    chooseport(InitialPortIndex(initial_.portIndex, int(ports_.size())));
    return true;
}

void TDlgOffline::applyMode(int mode) {
    const ModeView view = ModeViewFor(mode);
    setWindowTitle(view.caption);
    gbTimetable_->setVisible(view.timetableShown);
    if (!view.timetableCaption.isEmpty()) gbTimetable_->setTitle(view.timetableCaption);
    if (!view.modeItems.isEmpty()) {
        for (QComboBox* list : cbmode_) {
            list->clear();
            list->addItems(view.modeItems);
            list->setCurrentIndex(0);
        }
    }
    QCheckBox* bypass = cbOption_[1];
    bypass->setVisible(view.bypassShown);
    if (!view.bypassCaption.isEmpty()) bypass->setText(view.bypassCaption);
    for (int b = 2; b < 5; ++b) cbOption_[size_t(b)]->setVisible(view.othersShown);
}

void TDlgOffline::chooseport(int index) {
    if (manager_.busy() || index < 0 || index >= int(ports_.size())) return;
    cbport_->setCurrentIndex(index);
    readReader();
}

void TDlgOffline::readReader() {
    const int port = currentPort();
    if (port == 0) return;
    if (mode_ == OfflineDialogMode::MasterPin) {
        int pin = seMaster_->value();
        if (guarded([&] { return manager_.ReadMasterPin(port, pin); })) seMaster_->setValue(pin);
        return;
    }
    applyMode(manager_.LinkMode(port));
    OfflineValues v = values();
    guarded([&] { return manager_.ReadBack(port, v); });
    // Whatever was read before a step failed shows; the rest keeps its value.
    showValues(v);
}

void TDlgOffline::synchronizeClock() {
    if (manager_.busy() || currentPort() == 0) return;
    guarded([&] { return manager_.SynchronizeClock(currentPort()); });
}

void TDlgOffline::put() {
    if (manager_.busy() || currentPort() == 0) return;
    OfflineValues v = values();
    guarded([&] { return manager_.Put(currentPort(), v); });
    edLine1_->setText(v.line1);
    edLine2_->setText(v.line2);
}

DownloadResult TDlgOffline::download() {
    if (manager_.busy() || currentPort() == 0) return {};
    return guarded([&] { return manager_.Download(currentPort(), cbClearAfter_->isChecked()); });
}

void TDlgOffline::clearRecord() {
    if (manager_.busy() || currentPort() == 0) return;
    guarded([&] { return manager_.ClearRecord(currentPort()); });
}

void TDlgOffline::putMasterPin() {
    if (manager_.busy() || currentPort() == 0) return;
    guarded([&] { return manager_.PutMasterPin(currentPort(), seMaster_->value()); });
}

void TDlgOffline::uploadCardInformation() {
    if (manager_.busy() || currentPort() == 0) return;
    guarded([&] { return manager_.UploadCardInformation(currentPort()); });
}

void TDlgOffline::closeWithButton() {
    if (manager_.busy()) return;
    SaveOfflineValues(values(), cbport_->currentIndex() >= 0);
    accept();
}

void TDlgOffline::closeEvent(QCloseEvent* event) {
    // A workflow waiting for an answer runs inside this dialog's buttons.
    if (manager_.busy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TDlgOffline::reject() {
    if (manager_.busy()) return;
    QDialog::reject();
}

}  // namespace horalog
