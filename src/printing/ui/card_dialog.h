#pragma once
// "Print Member Card": whose cards, the card pictures, the title and remark lines, the style,
// and "Save" of all of it for the next run.

#include <QDialog>

#include "printing/card_document.h"
#include "printing/card_options.h"
#include "storage/database.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace horalog {

class TPersonsBox;

class TDlgPersons : public QDialog {
    Q_OBJECT
public:
    // Options from the settings, the pictures from the data folder, the style applied.
    TDlgPersons(Connection& src, Messages& messages, FileDialogs& files, Progress& progress,
                QWidget* parent = nullptr);

    // The options as the controls show them, with both pictures.
    CardLayout layout() const;
    TPersonsBox* personsBox() const { return persons_; }

    // Buttons and boxes, for tests and the window's own wiring.
    QPushButton* confirmButton() const { return bConfirm_; }
    QPushButton* cancelButton() const { return bCancel_; }
    QPushButton* saveButton() const { return bSave_; }
    QPushButton* loadBackButton() const { return bLoadBack_; }
    QPushButton* loadLogoButton() const { return bLoadLogo_; }
    QRadioButton* horizontalButton() const { return rbHorizontal_; }
    QRadioButton* verticalButton() const { return rbVertical_; }
    QLabel* backgroundView() const { return backView_; }
    QCheckBox* previewBox() const { return cbPreview_; }
    QCheckBox* titleBox() const { return cbTitle_; }
    QLineEdit* titleText() const { return edTitle_; }
    QCheckBox* remarkBox(int k) const { return cbRemark_[k]; }
    QLineEdit* remarkText(int k) const { return edRemark_[k]; }

private:
    void showOptions(const CardOptions& o);
    void applyStyle(CardStyle style);
    void showPictures();
    void save();

    Messages& messages_;
    FileDialogs& files_;
    Progress& progress_;
    CardLayout layout_;  // the pictures; options are read from the controls
    TPersonsBox* persons_;
    QLabel* backView_;
    QLabel* logoView_;
    QPushButton* bLoadBack_;
    QPushButton* bLoadLogo_;
    QCheckBox* cbFrame_;
    QCheckBox* cbLogo_;
    QCheckBox* cbTitle_;
    QLineEdit* edTitle_;
    QCheckBox* cbRemark_[4];
    QLineEdit* edRemark_[4];
    QCheckBox* cbTransparent_;
    QCheckBox* cbPreview_;
    QRadioButton* rbHorizontal_;
    QRadioButton* rbVertical_;
    QPushButton* bConfirm_;
    QPushButton* bCancel_;
    QPushButton* bSave_;
};

}  // namespace horalog
