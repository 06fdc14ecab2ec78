#include "maintenance/log_export.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "common/format.h"
#include "common/ports.h"
#include "common/texts.h"
#include "storage/lookups.h"
#include "storage/settings.h"
#include "storage/stations.h"
#include "storage/store.h"

namespace horalog {

namespace {

// The bar moves by this many records at a time: each move lets window events run, and a
// finer step is invisible on the bar anyway.
constexpr int kStep = 256;

const char* const kLogQuery =
    "SELECT ID, SYSTIME, CARDNO, MODE, READER, LOCK, STATION FROM recorder "
    "ORDER BY SYSTIME, CARDNO, ID";

// Advances a progress window by records, kStep at a time, the rest when it goes.
class Stepper {
public:
    explicit Stepper(ProgressWindow& w) : w_(w) {}
    ~Stepper() {
        if (pending_) w_.step(pending_);
    }
    void record() {
        if (++pending_ >= kStep) {
            w_.step(pending_);
            pending_ = 0;
        }
    }

private:
    ProgressWindow& w_;
    int pending_ = 0;
};

QString exportCaption(const char* kind, qint64 count) {
    return QString("Export to %1 file (%2 records)").arg(kind).arg(count);
}

}  // namespace

HolderNames::HolderNames(Connection& src) {
    auto q = src.prepare(
        "SELECT staffs.CARDNO, staffs.NAME, gid.DESCX FROM staffs "
        "LEFT JOIN gid ON staffs.WORKGRP = gid.ID");
    while (q.next())
        byCard_.insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toString()});
}

QPair<QString, QString> HolderNames::of(int card) const {
    auto it = byCard_.constFind(card);
    if (it == byCard_.constEnd()) return {kNoName, kNoGroup};
    return *it;
}

QString LogTextLine(const LogRecord& r, const QString& name, const QString& group) {
    return FormatDateTime("yyyy/mmm/dd hh:mm:ss", r.systime) +
           QString::asprintf(" %.9d", r.cardno) + " \"" + name + "\" \"" + group + "\" {" +
           ModeName(r.mode) + "}";
}

QString AskExportFile(FileDialogs& dialogs, const QString& title, const QString& filter,
                      const QString& suffix, const QString& proposedName) {
    const QString folder = ReadSettingText("LastDataPath", QString());
    const QString proposed = folder.isEmpty() ? proposedName : QDir(folder).filePath(proposedName);
    QString answer = dialogs.saveFile(title, proposed, filter);
    WriteSettingText("LastDataPath",
                     answer.isEmpty() ? QString() : QFileInfo(answer).absolutePath());
    if (!answer.isEmpty() && QFileInfo(answer).suffix().isEmpty()) answer += "." + suffix;
    return answer;
}

void ExportToTextFile(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                      const LiveLogControl& live) {
    if (LogTable(store.att()).count() == 0) {
        messages.error(text::kNoRecord);
        return;
    }
    QString path = AskExportFile(dialogs, "Export to Text File", kTextExportFilter, "txt");
    if (path.isEmpty()) return;
    ExportLogToText(store, path, messages, progress, live);
}

void ExportToExcelFile(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                       const LiveLogControl& live) {
    if (LogTable(store.att()).count() == 0) {
        messages.error(text::kNoRecord);
        return;
    }
    QString path = AskExportFile(dialogs, "Export to Excel File", kExcelExportFilter, "xlsx");
    if (path.isEmpty()) return;
    ExportLogToExcel(store, path, messages, progress, live);
}

bool ExportLogToText(Tdsrc& store, const QString& path, Messages& messages, Progress& progress,
                     const LiveLogControl& live) {
    Connection& att = store.att();
    LiveLogHidden hidden(live);
    const qint64 total = LogTable(att).count();
    auto window = progress.open(exportCaption("text", total), int(total));
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok) {
        try {
            HolderNames holders(store.src());
            Stepper stepper(*window);
            QByteArray buffer;
            buffer.reserve(1 << 20);
            auto q = att.prepare(kLogQuery);
            while (ok && q.next()) {
                LogRecord r = LogTable::fromRow(q);
                auto [name, group] = holders.of(r.cardno);
                buffer += LogTextLine(r, name, group).toUtf8();
                buffer += "\r\n";
                if (buffer.size() >= (1 << 20)) {
                    ok = file.write(buffer) == buffer.size();
                    buffer.clear();
                }
                stepper.record();
            }
            if (ok && !buffer.isEmpty()) ok = file.write(buffer) == buffer.size();
            ok = ok && file.flush();
        } catch (const DbError&) {
            messages.error(text::kDatabaseError);
            return false;
        }
        file.close();
        ok = ok && file.error() == QFileDevice::NoError;
    }
    window.reset();
    if (!ok) {
        messages.error(kFileLocked);
        return false;
    }
    messages.information(text::CompletedFile(path));
    return true;
}

bool ExportLogToExcel(Tdsrc& store, const QString& path, Messages& messages, Progress& progress,
                      const LiveLogControl& live) {
    {
        // The file must be ours to write before anything else is done.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            messages.error("Cannot replace file: " + path);
            return false;
        }
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go to disk as they are written
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook* book = workbook_new_opt(fileName.constData(), &options);
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book, "RECORDS") : nullptr;
    if (!sheet) {
        if (book) workbook_close(book);
        messages.error("Cannot open file: " + path);
        return false;
    }
    lxw_format* dateFormat = workbook_add_format(book);
    format_set_num_format(dateFormat, "yyyy-mm-dd");
    lxw_format* timeFormat = workbook_add_format(book);
    format_set_num_format(timeFormat, "hh:mm:ss");
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    const double widths[] = {12, 10, 11, 18, 22, 8, 18, 18};
    for (int c = 0; c < 8; ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);
    const char* const titles[] = {"DATE",  "TIME", "CARDNO", "NAME",
                                  "GROUP", "MODE", "READER", "LOCK"};
    for (int c = 0; c < 8; ++c) worksheet_write_string(sheet, 0, lxw_col_t(c), titles[c], header);

    Connection& att = store.att();
    LiveLogHidden hidden(live);
    const qint64 total = LogTable(att).count();
    auto window = progress.open(exportCaption("EXCEL", total), int(total));
    bool rowsOk = true;
    bool dbOk = true;
    try {
        HolderNames holders(store.src());
        const ReaderNames readers = ReaderDescriptions(store.src());
        const StationReaderNames stations = StationReaderNames::Load(store.src());
        Stepper stepper(*window);
        auto q = att.prepare(kLogQuery);
        lxw_row_t row = 1;
        while (rowsOk && q.next()) {
            LogRecord r = LogTable::fromRow(q);
            auto [name, group] = holders.of(r.cardno);
            const QByteArray cells[] = {name.toUtf8(), group.toUtf8(), ModeName(r.mode).toUtf8(),
                                        stations.name(r.station, r.reader, readers).toUtf8(),
                                        stations.name(r.station, r.lock, readers).toUtf8()};
            lxw_error e =
                worksheet_write_number(sheet, row, 0, r.systime.datePart().value, dateFormat);
            if (e == LXW_NO_ERROR)
                e = worksheet_write_number(sheet, row, 1, r.systime.timePart().value, timeFormat);
            if (e == LXW_NO_ERROR) e = worksheet_write_number(sheet, row, 2, r.cardno, nullptr);
            for (int c = 0; c < 5 && e == LXW_NO_ERROR; ++c)
                if (!cells[c].isEmpty())
                    e = worksheet_write_string(sheet, row, lxw_col_t(3 + c), cells[c].constData(),
                                               nullptr);
            rowsOk = e == LXW_NO_ERROR;
            ++row;
            stepper.record();
        }
    } catch (const DbError&) {
        dbOk = false;
    }
    const bool written = workbook_close(book) == LXW_NO_ERROR;
    window.reset();
    if (!dbOk) {
        messages.error(text::kDatabaseError);
        return false;
    }
    if (!written) {
        messages.error("Cannot replace file: " + path);
        return false;
    }
    if (!rowsOk) {
        messages.error(text::kUpdateFailed);
        return false;
    }
    messages.information(text::CompletedFile(path));
    return true;
}

}  // namespace horalog
