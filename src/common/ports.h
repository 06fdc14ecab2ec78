#pragma once
// Small interfaces to the screen, handed to the code that needs them. The widget library
// implements them with Qt dialogs; tests hand recording doubles (tests/support).

#include <QString>
#include <QStringList>
#include <memory>

namespace horalog {

// Message boxes of four kinds with fixed buttons, and the plain box of import summaries
// and fatal start-up errors.
class Messages {
public:
    virtual ~Messages() = default;
    virtual void error(const QString& text) = 0;        // OK
    virtual void warning(const QString& text) = 0;      // OK
    virtual void information(const QString& text) = 0; // OK
    virtual bool confirm(const QString& text) = 0;      // OK / Cancel; true on OK
    virtual bool warningYesNo(const QString& text) = 0; // Yes / No; true on Yes
    virtual void plain(const QString& text) = 0;        // OK, no icon
};

// The progress window: captioned, one bar from 0 to the maximum given at creation,
// advanced one step per processed item. Closed when destroyed.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void step(int count = 1) = 0;
    virtual void setPosition(int position) = 0;
    // Extra text under the caption (rates, time left); empty by default.
    virtual void setDetail(const QString& text) = 0;
    // A new caption for the operation's next item.
    virtual void setCaption(const QString& text) { (void)text; }
};

class Progress {
public:
    virtual ~Progress() = default;
    virtual std::unique_ptr<ProgressWindow> open(const QString& caption, int maximum) = 0;
};

// Open and save file dialogs. An empty answer means cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual QString openFile(const QString& title, const QString& startPath,
                             const QString& filter) = 0;
    virtual QString saveFile(const QString& title, const QString& startPath,
                             const QString& filter) = 0;
};

// Progress that shows nothing (headless runs).
class NoProgress : public Progress {
public:
    std::unique_ptr<ProgressWindow> open(const QString&, int) override;
};

}  // namespace horalog
