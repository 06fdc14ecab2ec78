#pragma once
// "Setup Door Open Button" (TdlgDoorOpen), a view over capture/door_open_setup.h.

#include <QDialog>

#include "capture/door_open_setup.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;

namespace horalog {

class TdlgDoorOpen : public QDialog {
    Q_OBJECT
public:
    explicit TdlgDoorOpen(const ReaderLinks& links, QWidget* parent = nullptr);
    QCheckBox* enableBox() const { return cbEnable_; }
    QComboBox* readerList() const { return cbReader_; }
    QDialogButtonBox* buttons() const { return buttons_; }

private:
    void ok();

    DoorOpenChoice choice_;
    QCheckBox* cbEnable_;
    QComboBox* cbReader_;
    QDialogButtonBox* buttons_;
};

}  // namespace horalog
