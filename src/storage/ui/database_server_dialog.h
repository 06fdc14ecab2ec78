#pragma once
// "Database Server": a thin view over the setting DatabaseUrl and its connection test.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace horalog {

class Messages;

class TDatabaseServer : public QDialog {
    Q_OBJECT
public:
    TDatabaseServer(Messages& messages, QWidget* parent = nullptr);

    // The controls, for the window's tests.
    QLineEdit* eUrl = nullptr;
    QPushButton* bTest = nullptr;
    QLabel* lResult = nullptr;

    // "Test Connection": the result goes under the address, green or red.
    void test();
    // "Confirm": refuses an address with a password; a changed address is stored and takes
    // effect at the next start.
    void confirm();

private:
    Messages& messages_;
    QString stored_;
};

// The action actDatabaseServer.
void RunDatabaseServerCommand(Messages& messages, QWidget* parent);

}  // namespace horalog
