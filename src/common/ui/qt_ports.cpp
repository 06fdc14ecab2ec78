#include "common/ui/qt_ports.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace horalog {

namespace {
const char* kTitle = "Horalog";

// A box belongs over the window the operator is working in: the modal dialog that is up
// (also one opened by a dialog that was handed the main window), else the given parent,
// else the active window. Without a parent it would come up at the centre of the screen.
QWidget* boxParent(QWidget* given) {
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        return modal;
    if (given) return given;
    return QApplication::activeWindow();
}

QMessageBox::StandardButton ask(QWidget* given, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton def) {
    QMessageBox box(icon, kTitle, text, buttons, boxParent(given));
    box.setDefaultButton(def);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

class QtProgressWindow : public ProgressWindow {
public:
    QtProgressWindow(const QString& caption, int maximum) {
        window_.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
        window_.setWindowTitle(caption);
        auto* layout = new QVBoxLayout(&window_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        bar_ = new QProgressBar(&window_);
        bar_->setRange(0, qMax(maximum, 1));
        bar_->setValue(0);
        bar_->setTextVisible(true);
        bar_->setAlignment(Qt::AlignCenter);
        bar_->setFixedSize(418, 22);
        layout->addWidget(bar_);
        detail_ = new QLabel(&window_);
        detail_->setVisible(false);
        layout->addWidget(detail_);
        window_.adjustSize();
        if (QScreen* s = QGuiApplication::primaryScreen())
            window_.move(s->geometry().center() - window_.rect().center());
        window_.show();
        QApplication::processEvents();
    }
    void step(int count) override { setPosition(bar_->value() + count); }
    void setPosition(int position) override {
        bar_->setValue(qMin(position, bar_->maximum()));
        QApplication::processEvents();
    }
    void setDetail(const QString& text) override {
        detail_->setText(text);
        detail_->setVisible(!text.isEmpty());
    }
    void setCaption(const QString& text) override {
        window_.setWindowTitle(text);
        QApplication::processEvents();
    }

private:
    QWidget window_;
    QProgressBar* bar_;
    QLabel* detail_;
};
}  // namespace

void QtMessages::error(const QString& text) {
    ask(parent_, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}
void QtMessages::warning(const QString& text) {
    ask(parent_, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}
void QtMessages::information(const QString& text) {
    ask(parent_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}
bool QtMessages::confirm(const QString& text) {
    return ask(parent_, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
               QMessageBox::Ok) == QMessageBox::Ok;
}
bool QtMessages::warningYesNo(const QString& text) {
    return ask(parent_, QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::Yes) == QMessageBox::Yes;
}
void QtMessages::plain(const QString& text) {
    ask(parent_, QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

std::unique_ptr<ProgressWindow> QtProgress::open(const QString& caption, int maximum) {
    return std::make_unique<QtProgressWindow>(caption, maximum);
}

QString QtFileDialogs::openFile(const QString& title, const QString& startPath,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(boxParent(parent_), title, startPath, filter);
}

QString QtFileDialogs::saveFile(const QString& title, const QString& startPath,
                                const QString& filter) {
    return QFileDialog::getSaveFileName(boxParent(parent_), title, startPath, filter);
}

}  // namespace horalog
