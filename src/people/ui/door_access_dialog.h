#pragma once
// "Door Access": holders against readers, with a group filter and a name search; sets or
// clears one reader's right for the selected holders at once. Also where the rights of a new
// holder are chosen. A view over DoorAccessModel (door_rights.h).

#include <QDialog>
#include <array>

#include "people/door_rights.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace horalog {

class Messages;

class TDoorAccess : public QDialog {
    Q_OBJECT
public:
    TDoorAccess(Connection& src, Messages& messages, QWidget* parent = nullptr);

    DoorAccessModel* model() const { return model_; }
    QTableView* grid() const { return grid_; }
    QComboBox* groupFilter() const { return cbGroup_; }
    QLineEdit* nameSearch() const { return edName_; }
    QComboBox* readerChoice() const { return cbReader_; }
    QComboBox* profileChoice() const { return cbProfile_; }
    QCheckBox* newHolderBox(int port) const { return newHolder_[std::size_t(port - 1)]; }
    QSpinBox* repeatSeconds() const { return spRepeat_; }
    bool changed() const { return changed_; }

    // The chosen reader's right for the selected rows: set or cleared.
    void setSelected(bool allowed);
    // The chosen time profile for the selected rows.
    void setSelectedProfile();

private:
    void applyFilter();

    Connection& src_;
    Messages& messages_;
    DoorAccessModel* model_;
    QTableView* grid_;
    QComboBox* cbGroup_;
    QLineEdit* edName_;
    QComboBox* cbReader_;
    QComboBox* cbProfile_;
    std::vector<int> profileIds_;
    std::vector<int> groupIds_;
    std::array<QCheckBox*, 8> newHolder_{};
    QSpinBox* spRepeat_;
    bool changed_ = false;
};

}  // namespace horalog
