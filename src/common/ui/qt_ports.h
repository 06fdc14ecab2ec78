#pragma once
// Qt implementations of the screen ports.

#include <QPointer>
#include <QWidget>

#include "common/ports.h"

namespace horalog {

// Boxes and file dialogs come up over the modal dialog that is up when they open, whatever
// parent they were given; with no dialog up, over the given parent or the active window.
class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void error(const QString& text) override;
    void warning(const QString& text) override;
    void information(const QString& text) override;
    bool confirm(const QString& text) override;
    bool warningYesNo(const QString& text) override;
    void plain(const QString& text) override;

private:
    QPointer<QWidget> parent_;
};

// A small tool window centred on the screen, 418 x 22 pixels of client area, one bar with
// its percentage; pending window events run at each step.
class QtProgress : public Progress {
public:
    std::unique_ptr<ProgressWindow> open(const QString& caption, int maximum) override;
};

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    QString openFile(const QString& title, const QString& startPath,
                     const QString& filter) override;
    QString saveFile(const QString& title, const QString& startPath,
                     const QString& filter) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace horalog
