#pragma once
// The program's life: single instance, data module, main window, and the end of the run.

#include <QString>
#include <memory>

#include "shell/instance_lock.h"

namespace horalog {

class Messages;
class Tdsrc;
class TTimeRec;

class Program {
public:
    explicit Program(Messages& messages);
    ~Program();

    // Refuses a second copy, creates the data folder on a first start, the data module and
    // the main window, attaches the rooms and runs the start steps. False: a message has been
    // shown and the program ends.
    bool start(const QString& dataFolder);
    TTimeRec* window() const { return window_.get(); }
    Tdsrc* store() const { return store_.get(); }

    // For operators and documentation: once the window shows the newest rows, writes a
    // picture of it to path, prints the start-up time and resident memory, and ends the run.
    void screenshotAndQuit(const QString& path);
    // For documentation: the holder editor ("Card Information") of card, as the live log's
    // double click opens it, written to path; then the run ends.
    void editorShotAndQuit(int card, const QString& path);

private:
    Messages& messages_;
    InstanceLock lock_;
    std::unique_ptr<Tdsrc> store_;
    std::unique_ptr<TTimeRec> window_;
};

// Where each room joins the window: commands of the menu table and hooks of the start, run
// and close steps. Called once, before the start steps.
void AttachRooms(TTimeRec& window);

// The windowed program on the data folder. Needs the QApplication. A screenshot path (or an
// editor card and path) takes that picture once the window shows, then quits.
int RunProgram(const QString& folder, const QString& screenshot = QString(), int editorCard = 0,
               const QString& editorShot = QString());

}  // namespace horalog
