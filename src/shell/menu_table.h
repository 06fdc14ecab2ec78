#pragma once
// Every command of the main window in one table: menu bar order, the live log's pop-up menu,
// the notification icon's menu and the commands on no menu, each with its login gate.
// A command shows on its menu only once a handler is attached to it (see TTimeRec).

#include <QString>
#include <vector>

namespace horalog {

enum class Gate {
    Always,     // never disabled
    LoggedIn,   // enabled only while an operator is logged in
    LoggedOut,  // enabled only while logged out (the login entries)
};

// Pseudo menu paths of the places that are not in the menu bar.
inline constexpr const char* kLiveLogMenu = "#livelog";
inline constexpr const char* kTrayMenu = "#tray";
inline constexpr const char* kNoMenu = "#none";

struct MenuRow {
    const char* menu;     // "&Reports>Attendance": menu bar entry and sub-menus
    const char* name;     // action name; nullptr for a separator
    const char* caption;  // with "&" before the accelerator
    Gate gate = Gate::LoggedIn;
    bool checkable = false;
    bool hidden = false;  // never shown in this system; gated all the same
};

const std::vector<MenuRow>& MenuTable();
// The row that defines an action (its first appearance), or nullptr.
const MenuRow* FindCommand(const QString& name);
bool EnabledWhen(Gate gate, bool loggedIn);

// Names of the commands of the shell itself, always shown.
inline constexpr const char* kActLogin = "actLogin";
inline constexpr const char* kActLogout = "actLogout";
inline constexpr const char* kActSetPassword = "actsetpasswd";
inline constexpr const char* kActHideToSystray = "actHideToSystray";
inline constexpr const char* kActExit = "actExit";
inline constexpr const char* kActAbout = "actAbout";
inline constexpr const char* kActHideOnStartup = "actHideOnStartup";
inline constexpr const char* kActTrayLogin = "actTrayLogin";
inline constexpr const char* kActShowMe = "actShowMe";
// Commands whose check mark the window sets at start.
inline constexpr const char* kActSpeech = "actSpeech";
inline constexpr const char* kActWebReporter = "actWebReporter";
inline constexpr const char* kActWebSettings = "actWebSettings";
inline constexpr const char* kActHideWebcam = "actHideWebcam";
// The command of the "Offline Reader" button.
inline constexpr const char* kActOffline = "actOffline";

}  // namespace horalog
