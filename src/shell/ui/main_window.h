#pragma once
// The main window: live log, status clock, clock face, photo, IN/OUT panel, door-open button,
// menus from the command table, the notification icon, and the start and close steps.

#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "common/datetime.h"
#include "people/login.h"
#include "shell/shell_hooks.h"

class QAction;
class QImage;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTableView;

namespace horalog {

class ClockFaceWidget;
class LiveLogModel;
class Messages;
class Tdsrc;

inline constexpr const char* kExitQuestion =
    "Card readers are not served while Horalog is closed. Exit?";

class TTimeRec : public QMainWindow {
    Q_OBJECT
public:
    // prompts: the password dialogs (the Qt ones when null); clock: "now" for the tick, the
    // clock face and the start steps.
    TTimeRec(Tdsrc& store, Messages& messages, PasswordPrompts* prompts = nullptr,
             Clock clock = SystemClock(), QWidget* parent = nullptr);
    ~TTimeRec() override;

    // Fill before start().
    ShellHooks& hooks() { return hooks_; }
    // Makes a command of the command table reachable: its entries show and run handler.
    void setCommand(const QString& name, std::function<void()> handler);
    QAction* action(const QString& name) const;

    // The notification icon step and the window creation step. False when the store cannot
    // open (the message has been shown and the program ends).
    bool start();

    // Services for the other rooms
    void ShowRecordCount();
    // The red band over the window while reads wait in the journal or the log is damaged;
    // hidden when text is empty.
    void ShowStoreAlarm(const QString& text);
    QLabel* storeAlarm() const { return storeAlarm_; }
    void RefreshLiveLog(bool show);
    bool NoRecordCheck();
    // After a read: the new rows of the log show at once, the newest current.
    void ShowAppendedRows();
    // The IN/OUT panel: "IN" in blue or "OUT" in red. The state itself belongs to its owner
    // (the automatic IN/OUT schedule); the window only shows it.
    void SetIOState(bool in);
    // The photo box shows a holder's photo; a null image hides it.
    void ShowPhoto(const QImage& photo);
    // The capture group shows a captured picture; a null image hides it.
    void ShowCapturedPicture(const QImage& picture);
    // The state of a reader port after its set-up: one line while an enabled port cannot be
    // opened, empty when it is fine. The lines show above the live log, hidden when none.
    void SetPortProblem(int port, const QString& problem);
    // Opens the ports of the reader table when it is whole, else the error box.
    void OpenReaderPorts();
    // The store cannot be reopened: shows the message, closes the window and ends the run as
    // a failed start would.
    void EndRun(const QString& message);
    bool endedOnError() const { return endedOnError_; }

    // Commands of the shell
    void Login();
    void Logout();
    void SetPassword();
    // "Exit" of the menu and the notification icon: asks first while a reader is served.
    void Exit();
    void ShowMe();
    void HideToSystray();
    void About();

    LoginState& loginState() { return login_; }
    Messages& messages() { return messages_; }
    Tdsrc& store() { return store_; }
    bool trayAvailable() const;

    // Parts, for the rooms that drive them and for tests
    QTableView* liveLog() const { return grid_; }
    LiveLogModel* liveLogModel() const { return model_; }
    QGroupBox* liveLogGroup() const { return logGroup_; }
    QLabel* statusClock() const { return statusClock_; }
    // The live log's title counts the repeat reads ignored today.
    void ShowRepeatCount(int repeatsToday);
    // The last refusal of a holder by its time profile, on the live log's status line.
    void ShowOutsideSchedule(int card, int port);
    QLabel* mailPanel() const { return mailPanel_; }
    QLabel* portProblems() const { return portProblems_; }
    QLabel* photo() const { return photo_; }
    QGroupBox* captureGroup() const { return captureGroup_; }
    QLabel* capturedPicture() const { return capture_; }
    QGroupBox* photoGroup() const { return photoGroup_; }
    QLabel* inOutPanel() const { return inOut_; }
    QPushButton* doorOpenButton() const { return doorOpen_; }
    QPushButton* loginButton() const { return bLogin_; }
    QPushButton* logoutButton() const { return bLogout_; }
    QPushButton* offlineButton() const { return bOffline_; }
    QWidget* webcamColumn() const { return webcam_; }
    ClockFaceWidget* clockFace() const { return clock_face_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return trayMenu_; }
    QMenu* liveLogMenu() const { return logMenu_; }
    bool tickRunning() const { return tickTimer_.isActive(); }

    // One run of the one-second tick.
    void secondTick();
    // The current-row feedback of the grid (click, key or mouse release).
    void currentRowFeedback();
    // The grid's double click.
    void liveLogDoubleClicked();

signals:
    // The closing steps have run.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildCommands();
    void buildTray();
    void applyLogin(bool loggedIn);
    void updateMenus();
    void positionAtNewest();
    void showCount(qint64 count);
    void saveColumnWidths();
    static QString gridWidthSetting(int column);
    void closeSteps();
    void windowCreationStep();
    QMenu* menuFor(const QString& path);

    Tdsrc& store_;
    Messages& messages_;
    std::unique_ptr<PasswordPrompts> ownPrompts_;
    PasswordPrompts* prompts_;
    Clock clock_;
    ShellHooks hooks_;
    LoginState login_;
    bool closedDone_ = false;
    bool endedOnError_ = false;

    QHash<QString, QAction*> actions_;
    QHash<QString, bool> handled_;
    QHash<QString, QMenu*> menus_;
    QList<QMenu*> menuOrder_;

    QWidget* webcam_ = nullptr;
    ClockFaceWidget* clock_face_ = nullptr;
    QGroupBox* photoGroup_ = nullptr;
    QLabel* photo_ = nullptr;
    QLabel* storeAlarm_ = nullptr;
    QGroupBox* captureGroup_ = nullptr;
    QLabel* capture_ = nullptr;
    QLabel* inOut_ = nullptr;
    QPushButton* doorOpen_ = nullptr;
    QPushButton* bLogin_ = nullptr;
    QPushButton* bOffline_ = nullptr;
    QPushButton* bLogout_ = nullptr;
    QGroupBox* logGroup_ = nullptr;
    QTableView* grid_ = nullptr;
    LiveLogModel* model_ = nullptr;
    QMenu* logMenu_ = nullptr;
    QLabel* statusClock_ = nullptr;
    int repeatsToday_ = 0;
    QString scheduleNote_;
    QLabel* mailPanel_ = nullptr;
    QLabel* portProblems_ = nullptr;
    QMap<int, QString> portProblemLines_;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QList<QIcon> trayImages_;
    int trayImage_ = 0;
    QTimer tickTimer_;
    QTimer trayTimer_;
};

}  // namespace horalog
