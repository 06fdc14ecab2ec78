#pragma once
// "Add Attendance Record" and "Edit Attendance Record": views over manual_record_store.h.

#include <QDialog>

#include "people/manual_record_store.h"
#include "storage/lookups.h"

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

namespace horalog {

class Messages;

// The read-only holder fields both dialogs show, with the photo box shown only when the photo
// decodes.
class HolderShownFields : public QWidget {
    Q_OBJECT
public:
    explicit HolderShownFields(QWidget* parent, QWidget* nameField);
    void display(const HolderShown& holder);
    QLineEdit* cardBox() const { return edCard_; }
    QLabel* photo() const { return photo_; }

private:
    QLineEdit* edCard_;
    QLineEdit* edGroup_;
    QPlainTextEdit* memo_;
    QLabel* photo_;
};

class TDlgAddRecord : public QDialog {
    Q_OBJECT
public:
    TDlgAddRecord(Connection& att, Connection& src, DateTime now, Messages& messages,
                  QWidget* parent = nullptr);
    bool added() const { return added_; }
    QComboBox* nameBox() const { return cbName_; }
    QComboBox* readerBox() const { return cbReader_; }
    QComboBox* modeBox() const { return cbMode_; }
    QDateEdit* dateBox() const { return edDate_; }
    QTimeEdit* timeBox() const { return edTime_; }
    HolderShownFields* holder() const { return holder_; }
    void add();

private:
    void lookUp();

    Connection& att_;
    Connection& src_;
    Messages& messages_;
    bool added_ = false;
    HolderShown shown_;
    QComboBox* cbName_;
    QComboBox* cbReader_;
    QComboBox* cbMode_;
    QDateEdit* edDate_;
    QTimeEdit* edTime_;
    HolderShownFields* holder_;
};

class TDlgEditRecord : public QDialog {
    Q_OBJECT
public:
    TDlgEditRecord(Connection& att, Connection& src, const LogRecord& row, Messages& messages,
                   QWidget* parent = nullptr);
    bool updated() const { return updated_; }
    QComboBox* modeBox() const { return cbMode_; }
    QDateEdit* dateBox() const { return edDate_; }
    QTimeEdit* timeBox() const { return edTime_; }
    void update();

private:
    Connection& att_;
    QString auditDb_;  // the system database, for the audit row
    Messages& messages_;
    qint64 id_;
    bool updated_ = false;
    QComboBox* cbMode_;
    QDateEdit* edDate_;
    QTimeEdit* edTime_;
};

}  // namespace horalog
