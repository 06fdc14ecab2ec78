#include "shell/ui/about_box.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace horalog {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About me");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel("Horalog", this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    layout->addWidget(name);
    layout->addWidget(new QLabel("Version 2.1", this));
    auto* text = new QLabel(
        "Time attendance and door access with proximity card readers on up to eight serial "
        "ports: records every read, decides who may pass, and reports the hours worked.",
        this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

}  // namespace horalog
