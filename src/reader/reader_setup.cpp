#include "reader/reader_setup.h"

#include <algorithm>

#include "common/ports.h"
#include "reader/reader_ports.h"
#include "storage/audit.h"
#include "storage/database.h"
#include "storage/lookups.h"
#include "storage/settings.h"

namespace horalog {

namespace {

ReaderRow RowOf(const Statement& q) {
    ReaderRow r;
    r.portno = q.integer("PORTNO");
    r.enable = q.boolean("ENABLE");
    r.desc = q.text("DESC");
    r.mode = q.integer("MODE");
    r.outport = q.integer("OUTPORT");
    r.bpport = q.integer("BPPORT");
    r.locktime = q.integer("LOCKTIME");
    r.model = q.integer("MODEL");
    r.apb = q.boolean("APB");
    r.capture = q.boolean("CAPTURE");
    r.motion = q.integer("MOTION");
    return r;
}

int LockIndex(int value) {
    return value >= 0 && value <= 8 ? value : 0;
}

}  // namespace

std::vector<ReaderRow> LoadReaderRows(Connection& src) {
    std::vector<ReaderRow> rows;
    auto q = src.prepare("SELECT * FROM reader WHERE STATION = ? ORDER BY PORTNO");
    q.bindAll(src.station());
    while (q.next()) rows.push_back(RowOf(q));
    return rows;
}

std::optional<ReaderRow> LoadReaderRow(Connection& src, int port) {
    auto q = src.prepare("SELECT * FROM reader WHERE STATION = ? AND PORTNO = ?");
    q.bindAll(src.station(), port);
    if (!q.next()) return std::nullopt;
    return RowOf(q);
}

namespace {
QString ReaderAuditText(const ReaderRow& r) {
    return QString("%1, %2, mode %3, lock %4, bypass %5, %6 s, apb %7, capture %8, motion %9")
        .arg(r.desc, r.enable ? "enabled" : "disabled")
        .arg(r.mode)
        .arg(r.outport)
        .arg(r.bpport)
        .arg(r.locktime)
        .arg(r.apb ? "on" : "off", r.capture ? "on" : "off")
        .arg(r.motion);
}
}  // namespace

bool StoreReaderRow(Connection& src, const ReaderRow& row) {
    try {
        Transaction tr(src);
        const auto before = LoadReaderRow(src, row.portno);
        auto q = src.prepare(
            "UPDATE reader SET ENABLE = ?, \"DESC\" = ?, MODE = ?, OUTPORT = ?, BPPORT = ?, "
            "LOCKTIME = ?, MODEL = ?, APB = ?, CAPTURE = ?, MOTION = ? WHERE STATION = ? AND "
            "PORTNO = ?");
        q.bindAll(int(row.enable), row.desc, row.mode, row.outport, row.bpport, row.locktime,
                  row.model, int(row.apb), int(row.capture), row.motion, src.station(), row.portno);
        q.exec();
        if (src.changes() == 0) return false;
        if (before && !(*before == row))
            AuditLog(src).write(audit::kReaderChanged, QString("COM%1").arg(row.portno),
                                ReaderAuditText(*before), ReaderAuditText(row));
        tr.commit();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

QString PortDevicePath(int port) {
    return ReadSettingText(QStringLiteral("PortDevice%1").arg(port),
                           QStringLiteral("/dev/ttyS%1").arg(port - 1));
}

void StorePortDevicePath(int port, const QString& path) {
    const QString trimmed = path.trimmed();
    WriteSettingText(QStringLiteral("PortDevice%1").arg(port),
                     trimmed.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(port - 1) : trimmed);
}

QString PortTitle(int port) {
    return QStringLiteral("COM%1").arg(port);
}

ReaderCellImage BooleanCellImage(bool value, bool linkEnabled) {
    if (!value) return ReaderCellImage::Uncheck;
    return linkEnabled ? ReaderCellImage::Check : ReaderCellImage::Stop;
}

QString ReaderCellHint(ReaderCellImage image) {
    switch (image) {
        case ReaderCellImage::Check: return "On; the port is open.";
        case ReaderCellImage::Stop:
            return "On, but the port could not be opened: check that the reader is connected and "
                   "the serial device in its settings.";
        case ReaderCellImage::Uncheck: return "Off.";
        default: return QString();
    }
}

ReaderCellImage MotionCellImage(int motion) {
    if (motion < 0) return ReaderCellImage::Disable;
    return motion == 0 ? ReaderCellImage::Camera : ReaderCellImage::MCam;
}

ReaderEditorState EditorFromRow(const ReaderRow& row, const QString& devicePath) {
    ReaderEditorState s;
    s.port = row.portno;
    s.connected = row.enable;
    s.description = row.desc;
    s.mode = std::clamp(row.mode, 0, 2);
    s.lockIndex = LockIndex(row.outport);
    s.bypassIndex = LockIndex(row.bpport);
    s.releaseTime = std::clamp(row.locktime, kReleaseTimeMin, kReleaseTimeMax);
    s.apb = row.apb;
    s.model = row.model == 1 ? 1 : 0;
    s.captureOnRead = row.capture;
    s.captureOnBypass = row.motion >= 0;
    s.multipleShot = row.motion > 0;
    s.seconds = row.motion > 0 ? std::min(row.motion, kMotionSecondsMax) : kMotionSecondsDefault;
    s.devicePath = devicePath;
    return s;
}

void ApplyModeRule(ReaderEditorState& state) {
    if (state.mode != 0) return;
    state.apb = false;
    state.lockIndex = 0;
    state.bypassIndex = 0;
}

ReaderEditorEnabled EnabledControls(const ReaderEditorState& state) {
    ReaderEditorEnabled e;
    const bool clock = state.mode == 0;
    const bool px = state.model == 1;
    e.apb = !clock;
    e.lockLists = !clock && !px;
    e.releaseTime = !clock && !px;
    e.shotIntervals = state.captureOnBypass;
    e.seconds = state.captureOnBypass && state.multipleShot;
    return e;
}

int MotionOf(const ReaderEditorState& state) {
    if (!state.captureOnBypass) return -1;
    if (!state.multipleShot) return 0;
    return std::clamp(state.seconds, 1, kMotionSecondsMax);
}

ReaderRow RowFromEditor(const ReaderEditorState& state) {
    ReaderRow r;
    r.portno = state.port;
    r.enable = state.connected;
    r.desc = state.description.trimmed().isEmpty() ? PortTitle(state.port) : state.description;
    r.mode = state.mode;
    r.outport = state.lockIndex;
    r.bpport = state.bypassIndex;
    r.locktime = state.releaseTime;
    r.apb = state.apb;
    r.model = state.model;
    r.capture = state.captureOnRead;
    r.motion = MotionOf(state);
    return r;
}

QStringList LockChoices(Connection& src) {
    const ReaderNames names = ReaderDescriptions(src);
    QStringList out;
    for (int i = 0; i <= 8; ++i) {
        auto row = LoadReaderRow(src, i);
        const QString name = row ? row->desc : ReaderName(i, names);
        // A port with its reader's name ("COM1 Front door"): the lock is wired to a port.
        const QString port = QString("COM%1").arg(i);
        out << (i == 0 || name == port ? name : port + " " + name);
    }
    return out;
}

// ---- ReaderSetup ----

ReaderSetup::ReaderSetup(Connection& src, ReaderLinks& links) : src_(src), links_(links) {}

bool ReaderSetup::changedPort(int port) const {
    return port >= 1 && port <= 8 && changed_[std::size_t(port - 1)];
}

bool ReaderSetup::linkEnabled(int port) const {
    const TRfidReader* link = links_.link(port);
    return link && link->Enable;
}

ReaderEditorState ReaderSetup::editorFor(int port) const {
    ReaderRow row;
    if (auto stored = LoadReaderRow(src_, port)) row = *stored;
    row.portno = port;
    ReaderEditorState s = EditorFromRow(row, PortDevicePath(port));
    return s;
}

bool ReaderSetup::confirmEdit(const ReaderEditorState& state) {
    if (state.port < 1 || state.port > 8) return false;
    changed_[std::size_t(state.port - 1)] = true;
    StorePortDevicePath(state.port, state.devicePath);
    const ReaderRow row = RowFromEditor(state);
    if (!StoreReaderRow(src_, row)) return false;
    links_[state.port].Desc = row.desc;
    return true;
}

bool ReaderSetup::offlineWarningDue() const {
    for (int port = 1; port <= 8; ++port)
        if (changedPort(port) && !links_[port].IsOpen()) return true;
    return false;
}

void ReaderSetup::confirmList(Messages& messages) const {
    if (offlineWarningDue()) messages.warning(kOfflineReaderWarning);
}

bool ReaderSetup::enableAll() {
    const std::vector<ReaderRow> rows = LoadReaderRows(src_);
    for (int k = 1; k <= 8; ++k) {
        TRfidReader& link = links_[k];
        link.Close();
        // The device path as it is set now, so a path just edited is the one tried.
        link.SetupPort();
        bool ok = true;
        try {
            link.Open();
        } catch (const SerialPortError&) {
            ok = false;
        }
        changed_[std::size_t(k - 1)] = true;
        if (std::size_t(k) > rows.size()) return false;
        ReaderRow row = rows[std::size_t(k - 1)];
        row.enable = ok;
        StoreReaderRow(src_, row);
    }
    return true;
}

void ReopenAfterReaderList(bool accepted, const std::array<bool, 8>& changed, ReaderLinks& links,
                           Connection& src, const PortHooks& hooks, Messages& messages) {
    if (accepted) {
        CloseReaderPorts(links);
        OpenReaderPorts(links, src, hooks, &messages);
        return;
    }
    for (int port = 1; port <= 8; ++port) {
        if (!changed[std::size_t(port - 1)]) continue;
        CloseReaderPort(links, port);
        OpenReaderPort(links, src, port, hooks);
    }
}

}  // namespace horalog
