#include "shell/ui/setup_dialogs.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "capture/card_capture.h"
#include "capture/door_open_setup.h"
#include "capture/ui/auto_io_dialog.h"
#include "capture/ui/door_open_dialog.h"
#include "capture/ui/speech_dialog.h"
#include "reader/ui/reader_dialogs.h"
#include "shell/live_log_model.h"
#include "shell/menu_table.h"
#include "shell/ui/main_window.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

void AttachSetupDialogs(TTimeRec& window, ReaderLinks& links, CardCapture& capture, Tdsrc& store,
                        PortHooks portHooks, Clock clock, std::function<void()> readersChanged) {
    TTimeRec* w = &window;
    if (!portHooks.doorCaption) {
        QPointer<QPushButton> button = window.doorOpenButton();
        portHooks.doorCaption = [button](const QString& caption) {
            if (button) button->setText(caption);
        };
    }

    window.setCommand(kActReaders, [w, &links, &store, portHooks, readersChanged] {
        RunReadersCommand(store.src(), links, portHooks, w->messages(), w);
        if (readersChanged) readersChanged();
        // Descriptions may have changed: the live log names the readers afresh.
        if (w->liveLogModel()->attached()) w->RefreshLiveLog(true);
    });

    window.setCommand(kActAutoIO, [w, &capture, &store, clock] {
        {
            TAutoIO dialog(store.src(), w->messages(), w);
            dialog.exec();
        }
        w->inOutPanel()->setVisible(ReadSettingBool("AutoInOut", false));
        capture.EvaluateAutoIO(clock());
    });

    window.setCommand(kActDoorOpenSetup, [w, &links] {
        TdlgDoorOpen dialog(links, w);
        if (dialog.exec() != QDialog::Accepted) return;
        w->doorOpenButton()->setVisible(ReadSettingBool("DoorOpenEnable", false));
        if (auto caption = DoorOpenCaption(links, ReadSettingInt("DoorOpenPortNo", 1)))
            w->doorOpenButton()->setText(*caption);
    });

    window.setCommand(kActSpeech, [w] {
        {
            TDlgSpeech dialog(w);
            dialog.exec();
        }
        // The menu toggled the mark on the click; it shows the setting.
        w->action(kActSpeech)->setChecked(ReadSettingBool("SpeechEnable", false));
    });
}

}  // namespace horalog
