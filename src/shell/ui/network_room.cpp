// The web reporter and the mail queue joined to the main window: started at launch, switched
// from the "Setup" menu, paused around file operations on the databases, stopped at close.
#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>

#include "common/ports.h"
#include "net/ui/email_settings_dialog.h"
#include "net/ui/web_settings_dialog.h"
#include "net/web_reporter.h"
#include "net/web_switch.h"
#include "shell/menu_table.h"
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"
#include "storage/store.h"

namespace horalog {

namespace {

void showMailStatus(TTimeRec* window, const QString& text) {
    window->mailPanel()->setText(text);
    window->statusBar()->repaint();
}

}  // namespace

NetworkRoom::NetworkRoom(TTimeRec& window, CaptureRoom& capture)
    : QObject(&window),
      window_(window),
      mail_(window.store(), [w = &window](const QString& text) { showMailStatus(w, text); }) {
    setObjectName("networkRoom");
    ShellHooks& h = window.hooks();
    // Arms from the previous run's EmailEnabled, then stores it false for this run.
    h.armMailTimer = [this] { mail_.armAtStart(); };
    h.stopTimers = Chain(h.stopTimers, [this] { mail_.stop(); });
    h.startWebReporter = [this] {
        const QString error = StartWebReporterAtLaunch(web_, window_.store().folder());
        if (!error.isEmpty()) window_.messages().error(error);
    };

    // Pages name the readers as the links know them.
    capture.onPortsOpened([this, &capture] { web_.setReaderNames(capture.readerNames()); });

    // Pages wait while the files are copied, and read the new files afterwards.
    QPointer<NetworkRoom> self(this);
    window.store().addCloseHook([self] {
        if (self) self->web_.closeDatabases();
    });
    window.store().addReopenHook([self] {
        if (self) self->web_.reopenDatabases();
    });

    window.setCommand(kActWebReporter, [this] { toggleWebReporter(); });
    window.setCommand(kActWebSettings, [this] { RunCommand(window_, [this] { editWebSettings(); }); });
    window.setCommand("actEmail", [this] {
        RunCommand(window_, [this] { OpenEmailSettings(&window_, window_.messages(), mail_); });
    });
}

NetworkRoom::~NetworkRoom() = default;

NetworkRoom* NetworkRoom::of(TTimeRec& window) {
    return window.findChild<NetworkRoom*>(QString(), Qt::FindDirectChildrenOnly);
}

void NetworkRoom::toggleWebReporter() {
    QAction* toggle = window_.action(kActWebReporter);
    // The action has flipped its mark already; the switch goes from the mark as it was.
    const WebSwitchResult r =
        ToggleWebReporter(web_, !toggle->isChecked(), window_.store().folder());
    toggle->setChecked(r.checked);
    if (r.failed)
        window_.messages().error(r.message);
    else
        window_.messages().information(r.message);
}

void NetworkRoom::editWebSettings() {
    TWebSettings dialog(window_.messages(), &window_);
    if (dialog.exec() != QDialog::Accepted || !web_.running()) return;
    // The running server takes the new address, password and certificate at once.
    const WebSwitchResult r = StartWebReporter(web_, window_.store().folder());
    if (r.failed)
        window_.messages().error(r.message);
    else
        window_.messages().information(r.message);
}

}  // namespace horalog
