#pragma once
// The reader list ("Setup") and the reader editor ("RFID Reader") without their widgets: the
// rows of the reader table, the editor's controls as values with their rules (mode, reader
// type, bypass capture), the per-port changed flags, "Enable All", the offline-reader warning
// and the reopening of ports when the list closes.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace horalog {

class Connection;
class Messages;
class ReaderLinks;
struct PortHooks;

inline constexpr const char* kOfflineReaderWarning =
    "For offline reader, please remember to enter 'Offline Reader' and put the settings in "
    "order to make it in effects.";

inline constexpr int kMotionSecondsMax = 60;
inline constexpr int kMotionSecondsDefault = 5;
inline constexpr int kReleaseTimeMin = 1;
inline constexpr int kReleaseTimeMax = 9;

// One row of the reader table.
struct ReaderRow {
    int portno = 0;
    bool enable = false;
    QString desc;
    int mode = 0;
    int outport = 0;
    int bpport = 0;
    int locktime = 3;
    int model = 0;  // 0 LT series, 1 PX series
    bool apb = false;
    bool capture = false;
    int motion = -1;
    friend bool operator==(const ReaderRow&, const ReaderRow&) = default;
};

// Every row in stored (PORTNO) order.
std::vector<ReaderRow> LoadReaderRows(Connection& src);
std::optional<ReaderRow> LoadReaderRow(Connection& src, int port);
// Writes the row of row.portno; false when the database refuses (nothing changed then).
bool StoreReaderRow(Connection& src, const ReaderRow& row);

// The device path of a port: setting PortDevice<N>, default /dev/ttyS<N-1>.
QString PortDevicePath(int port);
// Stores it; a blank path goes back to the default.
void StorePortDevicePath(int port, const QString& path);

// "COM" and the port number: the editor's group title, the list's "Reader On" cell and the
// description of a reader left blank.
QString PortTitle(int port);

// Images of the list's Boolean and Motion cells.
enum class ReaderCellImage { Check, Stop, Uncheck, Disable, Camera, MCam };
// A true cell shows Check while the port's link is enabled (open), Stop when opening failed.
ReaderCellImage BooleanCellImage(bool value, bool linkEnabled);
ReaderCellImage MotionCellImage(int motion);
// What a switch cell's picture means, for its tooltip; empty for the motion pictures.
QString ReaderCellHint(ReaderCellImage image);

// The editor's controls, shown or not, as values.
struct ReaderEditorState {
    int port = 1;
    bool connected = false;  // "Reader is connected"
    QString description;
    int mode = 0;         // mode list index: 0 CLOCK, 1 IN, 2 OUT
    int lockIndex = 0;    // "Present the authorised card, release lock on"
    int bypassIndex = 0;  // "Press the bypass switch, release lock on"
    int releaseTime = 3;  // 1..9 seconds
    bool apb = false;
    int model = 0;  // "Reader Type" index: 0 LT series, 1 PX series
    bool captureOnRead = false;
    bool captureOnBypass = false;
    bool multipleShot = false;  // else "Single Shot"
    int seconds = kMotionSecondsDefault;
    QString devicePath;
};

// Which of the rule-bound controls can be used.
struct ReaderEditorEnabled {
    bool apb = true;
    bool lockLists = true;
    bool releaseTime = true;
    bool shotIntervals = true;  // "Single Shot", "Multiple Shot"
    bool seconds = true;
};

// The editor loaded from a row (the Motion mapping included) and the port's device path.
// Lock list indexes outside 0..8 load as 0 (no lock).
ReaderEditorState EditorFromRow(const ReaderRow& row, const QString& devicePath);
// CLOCK mode: anti-passback off, both lock lists on index 0. Run when the editor is shown
// and at every mode change.
void ApplyModeRule(ReaderEditorState& state);
// CLOCK mode and the PX series take the lock lists and the release time away; the bypass
// capture options follow their check boxes.
ReaderEditorEnabled EnabledControls(const ReaderEditorState& state);
// -1 without bypass capture, 0 for a single shot, the seconds for multiple shots.
int MotionOf(const ReaderEditorState& state);
// The row "Confirm" stores: a blank description becomes "COM" and the port number.
ReaderRow RowFromEditor(const ReaderEditorState& state);
// The lock lists: index i from 1 to 8 holds "COMi" and the DESC of the row of PORTNO i (or
// ReaderName(i) without such a row), "COMi" alone when that is the name; index 0 reads
// ReaderName(0), "DENIED".
QStringList LockChoices(Connection& src);

// The reader list dialog's state over the table and the eight links: the changed flags
// (cleared at creation), the editor's Confirm, the list's Confirm and "Enable All".
class ReaderSetup {
public:
    ReaderSetup(Connection& src, ReaderLinks& links);

    const std::array<bool, 8>& changed() const { return changed_; }
    bool changedPort(int port) const;
    // Whether the port's link is enabled (its port opened), for the list's images.
    bool linkEnabled(int port) const;

    ReaderEditorState editorFor(int port) const;
    // The editor's Confirm: sets the changed flag, stores the row (a refused row is dropped
    // without a message) and the device path, and gives the link its description at once.
    // Answers whether the row was stored.
    bool confirmEdit(const ReaderEditorState& state);

    // The list's Confirm: when a changed port's link is not open, the offline-reader
    // warning is due (once, however many ports qualify).
    bool offlineWarningDue() const;
    void confirmList(Messages& messages) const;

    // Closes and opens every link again and stores in row k whether link k opened; every
    // changed flag is set. False when the table ran out of rows before link 8: the dialog
    // then stays open.
    bool enableAll();

private:
    Connection& src_;
    ReaderLinks& links_;
    std::array<bool, 8> changed_{};
};

// What the "Readers" command does after the list closed: after "Enable All" (accepted) every
// port is closed and the table's ports opened again; after any other close only the changed
// ports are closed and opened again.
void ReopenAfterReaderList(bool accepted, const std::array<bool, 8>& changed, ReaderLinks& links,
                           Connection& src, const PortHooks& hooks, Messages& messages);

}  // namespace horalog
