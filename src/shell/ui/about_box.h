#pragma once

#include <QDialog>

namespace horalog {

// "About me": the program name, its version and what it does.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace horalog
