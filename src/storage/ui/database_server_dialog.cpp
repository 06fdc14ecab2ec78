#include "storage/ui/database_server_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/ui/confirm_buttons.h"
#include "storage/database_server.h"

namespace horalog {

TDatabaseServer::TDatabaseServer(Messages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages), stored_(LoadDatabaseUrl()) {
    setWindowTitle("Database Server");
    auto* intro = new QLabel(
        "Several PCs share one log and one list of holders on a PostgreSQL server. Leave the "
        "address empty to use the database files of the data folder.\n"
        "Address: postgresql://user@host/database, or a connection string such as "
        "\"host=10.0.0.5 dbname=horalog user=gate\". The password comes from ~/.pgpass or a "
        "service file, never from here.");
    intro->setWordWrap(true);
    eUrl = new QLineEdit(stored_);
    eUrl->setPlaceholderText("empty: the database files of the data folder");
    bTest = new QPushButton("Test Connection");
    bTest->setToolTip("Connect read-only and tell what was found; nothing is written.");
    lResult = new QLabel;
    lResult->setWordWrap(true);
    lResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(bTest, &QPushButton::clicked, this, &TDatabaseServer::test);

    auto* row = new QHBoxLayout;
    row->addWidget(eUrl, 1);
    row->addWidget(bTest);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(row);
    layout->addWidget(lResult);
    layout->addStretch();
    layout->addLayout(ConfirmCancelRow(this, kDatabaseServerNextStart, {}, [this] { confirm(); }));
    // Wrapped texts of any length keep their lines: the dialog grows with them.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    setMinimumWidth(560);
}

void TDatabaseServer::test() {
    lResult->setText("Connecting...");
    lResult->setStyleSheet({});
    lResult->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DatabaseServerTest r = TestDatabaseServer(eUrl->text());
    QApplication::restoreOverrideCursor();
    // The server's own text comes in indented lines.
    lResult->setText(r.text.simplified());
    lResult->setStyleSheet(r.ok ? "color: #1b6e20;" : "color: #b00020;");
    adjustSize();
}

void TDatabaseServer::confirm() {
    const QString url = eUrl->text().trimmed();
    if (const QString problem = DatabaseUrlProblem(url); !problem.isEmpty()) {
        eUrl->setFocus();
        messages_.error(problem);
        return;
    }
    if (url != stored_) {
        SaveDatabaseUrl(url);
        messages_.information(kDatabaseServerNextStart);
    }
    accept();
}

void RunDatabaseServerCommand(Messages& messages, QWidget* parent) {
    TDatabaseServer dialog(messages, parent);
    dialog.exec();
}

}  // namespace horalog
