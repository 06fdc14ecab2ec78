#pragma once

#include <QMainWindow>

namespace horalog {

// The main window.
class TTimeRec : public QMainWindow {
    Q_OBJECT
public:
    explicit TTimeRec(QWidget* parent = nullptr);
};

}  // namespace horalog
