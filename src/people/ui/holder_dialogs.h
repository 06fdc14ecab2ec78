#pragma once
// "Card Information" (Tnadd), the holder editor of one card, and "Card Information List"
// (TCardInfo): views over holder_store.h.

#include <QDialog>
#include <functional>

#include "people/holder_store.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace horalog {

class FileDialogs;
class HolderAbsencesBox;
class Messages;
class Progress;

// Shows a picture in a label, stretched to the label's size; an empty picture clears it.
void ShowPicture(QLabel* label, const Picture& picture);

class Tnadd : public QDialog {
    Q_OBJECT
public:
    Tnadd(Connection& src, int card, Messages& messages, FileDialogs& files, Progress& progress,
          QWidget* parent = nullptr);
    // The outcome to save once the dialog is accepted (an empty name after Delete).
    const HolderEditorState& state() const { return state_; }
    QLineEdit* nameBox() const { return edName_; }
    QLabel* nameCount() const { return nameCount_; }
    QComboBox* groupBox() const { return cbGroup_; }
    QComboBox* profileBox() const { return cbProfile_; }
    QPushButton* confirmButton() const { return bConfirm_; }
    QPushButton* deleteButton() const { return bDelete_; }
    // The "May pass at" box of port 1 to 8.
    QCheckBox* doorBox(int port) const { return doors_[std::size_t(port - 1)]; }
    HolderAbsencesBox* absencesBox() const { return absences_; }

    void loadPhoto();
    void rotatePhoto();
    void clearPhoto();
    void confirm();
    void deleteHolder();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void takeFields();

    Connection& src_;
    Messages& messages_;
    FileDialogs& files_;
    Progress& progress_;
    HolderEditorState state_;
    QLineEdit* edName_;
    QLabel* nameCount_;
    QComboBox* cbGroup_;
    QComboBox* cbProfile_;
    QPlainTextEdit* memo_;
    QLabel* photo_;
    QPushButton* bConfirm_;
    QPushButton* bDelete_;
    std::array<QCheckBox*, 8> doors_{};
    HolderAbsencesBox* absences_;
};

class TCardInfo : public QDialog {
    Q_OBJECT
public:
    // editHolder opens the holder editor on a card and answers whether staffs changed.
    TCardInfo(Connection& src, Messages& messages, std::function<bool(int card)> editHolder,
              QWidget* parent = nullptr);
    bool changed() const { return changed_; }
    HolderListModel* model() const { return model_; }
    QTableView* grid() const { return grid_; }
    QGroupBox* box() const { return box_; }
    QLabel* preview() const { return preview_; }
    void editCurrent();
    // "Add holder": the card number typed in the box beside it, checked, opens the editor.
    void addHolder();
    QLineEdit* newCardBox() const { return edNewCard_; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void afterEdit(int card);
    int currentCard() const;
    void selectCard(int card);
    void refreshPreview();
    void closeList();

    Connection& src_;
    Messages& messages_;
    std::function<bool(int)> editHolder_;
    bool changed_ = false;
    HolderListModel* model_;
    QTableView* grid_;
    QGroupBox* box_;
    QLabel* preview_;
    QLineEdit* edNewCard_;
};

}  // namespace horalog
