#include "exports/result_export.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "attendance/day_results.h"
#include "attendance/report_context.h"
#include "common/format.h"
#include "common/ports.h"
#include "common/texts.h"
#include "exports/payroll_export.h"
#include "maintenance/log_export.h"
#include "storage/database.h"

namespace horalog {

namespace {

constexpr int kMaxSheetName = 31;
// Text columns of the workbook hold up to this many characters.
constexpr int kMaxText = 100;

const ExportTraits kSpecs[] = {
    {"First IN / Last OUT", "First In Last Out",
     kHideEnhanced | kHidePreviewOnly | kHideRecordsPerLine | kHideRecordFormat, false, true},
    {"IN/OUT Pairs", "IN OUT pairs",
     kHideEnhanced | kHidePreviewOnly | kHideRecordFormat | kHideRecordsOfInterest, true, false},
    {"Time Logs", "Time Logs", kHideEnhanced | kHidePreviewOnly | kHideRecordFormat, false, true},
    {"Late and Early Leave", "Late and Early Leave",
     kHideEnhanced | kHidePreviewOnly | kHideRecordFormat | kHideRecordsOfInterest, true, false},
    {"Payroll", "Payroll",
     kHideEnhanced | kHidePreviewOnly | kHideRecordsPerLine | kHideRecordFormat | kHideBlankLines |
         kHideNewPage,
     false, false},
};

int PairsPerRow(const ReportParameters& p) {
    return std::clamp(p.recordsPerLine / 2, 1, 4);
}

bool InOutNames(const ReportParameters& p) {
    return p.records == RecordsOfInterest::InOut;
}

// The rows of one holder, cell by column name.
class RowMaker {
public:
    RowMaker(const QStringList& columns, SheetWriter& writer) : columns_(columns), writer_(writer) {
        row_.resize(columns.size());
    }
    void Set(const QString& column, const QString& text) {
        const int i = columns_.indexOf(column);
        if (i >= 0 && !text.isEmpty()) row_[i] = ExportCell::Text(text.left(kMaxText));
    }
    void SetDate(int day) {
        const int i = columns_.indexOf("DATE");
        if (i >= 0) row_[i] = ExportCell::Date(day);
    }
    // A row that cannot be stored is dropped without a word; the export goes on.
    void Store() {
        writer_.AppendRow(row_);
        row_.assign(columns_.size(), ExportCell());
    }

private:
    const QStringList& columns_;
    SheetWriter& writer_;
    ExportRow row_;
};

struct HolderRun {
    ExportKind kind;
    const ReportParameters& p;
    const SelectedHolder& holder;
    bool singleSheet;
    int firstDay, lastDay;
    const HolderDays& daysOff;
};

void WriteHolderRows(const HolderRun& run, const std::vector<LogRecord>& records,
                     const std::vector<TimePeriod>& table, RowMaker& row) {
    const ReportParameters& p = run.p;
    const int n = PairsPerRow(p);
    const bool inOut = InOutNames(p);
    bool first = true;
    // The holder's name and group go to his first row of the single sheet, whatever it is.
    auto heading = [&] {
        if (first && run.singleSheet) {
            row.Set("NAME", run.holder.holder.name);
            row.Set("GROUP", run.holder.groupName);
        }
        first = false;
    };
    // A day without reads: its day off, or "No record".
    auto blankRow = [&](int day) {
        heading();
        row.SetDate(day);
        if (const DayOff* off = run.daysOff.At(day))
            row.Set(kAbsenceColumn, off->text);
        else
            row.Set("STATUS", "No record");
        row.Store();
    };

    RecordCursor rows(records);
    int r = run.firstDay;
    bool continuation = false;  // a time log row that carries on the previous row's date
    while (!rows.AtEnd()) {
        const int cur = rows.Current().systime.dayNumber();
        if (!p.blankLines) {
            // Days off are written even without blank lines.
            const int off = run.daysOff.NextFrom(r);
            r = off >= 0 && off < cur ? off : cur;
        } else if (r > cur) {
            r = cur;
        }
        if (r < cur) {
            blankRow(r++);
            continue;
        }
        heading();
        if (!continuation) {
            row.SetDate(r);
            if (const DayOff* off = run.daysOff.At(r)) row.Set(kAbsenceColumn, off->text);
        }
        switch (run.kind) {
            case ExportKind::FirstLast: {
                const FirstLastResult res =
                    FirstLastDay(rows, inOut, inOut ? "IN" : "FIRST", inOut ? "OUT" : "LAST");
                row.Set(inOut ? "IN" : "FIRST", res.inText);
                row.Set(inOut ? "OUT" : "LAST", res.outText);
                row.Set("STATUS", res.status);
                break;
            }
            case ExportKind::Pairs: {
                const PairsResult res = PairsDay(rows, n);
                for (int k = 0; k < res.ins.size(); ++k) {
                    row.Set(QString("IN%1").arg(k + 1), res.ins[k]);
                    row.Set(QString("OUT%1").arg(k + 1), res.outs[k]);
                }
                row.Set("STATUS", res.status);
                break;
            }
            case ExportKind::LateEarly: {
                const TimetableResult res = TimetableDay(rows, n, table);
                for (int k = 0; k < n; ++k) {
                    const QString i = QString::number(k + 1);
                    row.Set("IN" + i, res.ins[k]);
                    row.Set("LT" + i, res.lates[k]);
                    row.Set("OUT" + i, res.outs[k]);
                    row.Set("EL" + i, res.earlies[k]);
                }
                break;
            }
            case ExportKind::TimeLogs: {
                const DateTime day = rows.Current().systime;
                for (int k = 1; k <= 2 * n && rows.OnDate(day); ++k, rows.Next())
                    row.Set(QString("TIME%1").arg(k),
                            FormatDateTime(LongTimeFormat(), rows.Current().systime));
                continuation = rows.OnDate(day);
                break;
            }
        }
        row.Store();
        if (!continuation) ++r;
    }
    if (p.blankLines && TraitsOf(run.kind).blanksAfterLast)
        while (r <= run.lastDay) blankRow(r++);
    for (int off = run.daysOff.NextFrom(r); off >= 0; off = run.daysOff.NextFrom(r)) {
        if (!p.blankLines) r = off;
        while (r <= off) blankRow(r++);
    }
}

QString HolderSheetName(const QString& name) {
    QString s = name;
    s.replace(' ', '_');
    return s;
}

}  // namespace

const ExportTraits& TraitsOf(ExportKind kind) {
    return kSpecs[std::clamp(int(kind), 0, int(std::size(kSpecs)) - 1)];
}

ReportParameters ExportParameters(ExportKind kind, ReportParameters p) {
    if (TraitsOf(kind).forcesInOut) p.records = RecordsOfInterest::InOut;
    p.recordsPerLine = PairsPerRow(p) * 2;
    return p;
}

QStringList ExportColumns(ExportKind kind, const ReportParameters& p, bool singleSheet,
                          bool daysOff) {
    QStringList c;
    if (singleSheet)
        c << "NAME"
          << "GROUP";
    c << "DATE";
    const int n = PairsPerRow(p);
    switch (kind) {
        case ExportKind::FirstLast:
            if (InOutNames(p))
                c << "IN"
                  << "OUT";
            else
                c << "FIRST"
                  << "LAST";
            c << "STATUS";
            break;
        case ExportKind::Pairs:
            for (int k = 1; k <= n; ++k) c << QString("IN%1").arg(k) << QString("OUT%1").arg(k);
            c << "STATUS";
            break;
        case ExportKind::TimeLogs:
            for (int k = 1; k <= 2 * n; ++k) c << QString("TIME%1").arg(k);
            break;
        case ExportKind::LateEarly:
            for (int k = 1; k <= n; ++k)
                c << QString("IN%1").arg(k) << QString("LT%1").arg(k) << QString("OUT%1").arg(k)
                  << QString("EL%1").arg(k);
            break;
        case ExportKind::Payroll:
            return PayrollColumns();
    }
    if (daysOff) c << kAbsenceColumn;
    return c;
}

QString SheetNames::Make(const QString& holderName) {
    QString base;
    for (const QChar ch : holderName)
        base += QString("[]:*?/\\ ").contains(ch) || ch.category() == QChar::Other_Control
                    ? QChar('_')
                    : ch;
    if (base.isEmpty()) base = "_";
    auto fit = [](QString s, int length) {
        s = s.left(length);
        // A name may neither start nor end with an apostrophe.
        if (s.startsWith('\'')) s[0] = '_';
        if (s.endsWith('\'')) s[s.size() - 1] = '_';
        return s;
    };
    QString name = fit(base, kMaxSheetName);
    for (int k = 2; taken_.contains(name.toLower()); ++k) {
        const QString suffix = QString("_%1").arg(k);
        name = fit(base, kMaxSheetName - suffix.size()) + suffix;
    }
    taken_ << name.toLower();
    return name;
}

bool WriteResultExport(ExportKind kind, const ReportParameters& dialog, ReportSource& source,
                       const OpenWriter& open, Messages& messages, Progress& progress,
                       DateTime now) {
    if (kind == ExportKind::Payroll)
        return WritePayrollExport(dialog, source, open, true, messages, progress, now);
    const ReportParameters p = ExportParameters(kind, dialog);
    std::vector<SelectedHolder> holders;
    try {
        holders = OpenSelectedHolders(source, p);
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        messages.error(text::kUpdateFailed);
        return false;
    }
    const bool singleSheet = !p.newPage;
    auto window =
        progress.open(QString("Exporting (%1 members)").arg(holders.size()), int(holders.size()));
    try {
        const std::unique_ptr<SheetWriter> out = open(singleSheet ? 1 : int(holders.size()));
        SheetWriter& writer = *out;
        // The period ends today: "now" counts as today's date.
        detail::ReportContext ctx(p, source, now.datePart(), 0.0);
        std::vector<HolderDays> daysOff;
        for (const SelectedHolder& h : holders) daysOff.push_back(ctx.DaysOff(h));
        const bool anyOff = std::any_of(daysOff.begin(), daysOff.end(),
                                        [](const HolderDays& d) { return !d.Empty(); });
        const QStringList columns = ExportColumns(kind, p, singleSheet, anyOff);
        if (singleSheet) writer.AddSheet(kAllRecordsSheet, columns);
        SheetNames sheets;
        RowMaker row(columns, writer);
        for (std::size_t i = 0; i < holders.size(); ++i) {
            const SelectedHolder& h = holders[i];
            const std::vector<LogRecord> records = ctx.HolderRecords(h.holder.cardno);
            if (!singleSheet) writer.AddSheet(sheets.Make(HolderSheetName(h.holder.name)), columns);
            window->setCaption("Exporting: " + h.holder.name);
            window->step();
            std::vector<TimePeriod> table;
            if (kind == ExportKind::LateEarly && !records.empty()) {
                // Read once per holder, before his first row.
                try {
                    table = source.Timetable(h.holder.workgrp);
                } catch (const DbError&) {
                    messages.error(text::kUpdateFailed);
                    continue;
                }
            }
            const HolderRun run{kind,
                                p,
                                h,
                                singleSheet,
                                ctx.period.from.dayNumber(),
                                ctx.period.to.dayNumber(),
                                daysOff[i]};
            WriteHolderRows(run, records, table, row);
        }
        writer.Close();
    } catch (const DbError&) {
        window.reset();
        messages.error(text::kDatabaseError);
        return false;
    } catch (const SheetError& e) {
        window.reset();
        messages.error(e.text());
        return false;
    }
    return true;
}

bool RemoveExistingFile(const QString& path, Messages& messages) {
    QFileInfo info(path);
    if (info.exists() || info.isSymLink()) QFile::remove(path);
    if (QFileInfo::exists(path)) {
        messages.error(kFileInUse + path);
        return false;
    }
    return true;
}

QString RunExportAction(ExportKind kind, ReportSource& source, const AskScope& askScope,
                        FileDialogs& dialogs, Messages& messages, Progress& progress,
                        const Clock& clock) {
    const ExportTraits& traits = TraitsOf(kind);
    try {
        if (LogIsEmpty(source)) {
            messages.error(text::kNoRecord);
            return {};
        }
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        return {};
    }
    const std::optional<ReportParameters> p = askScope(kind);
    if (!p) return {};
    const QString path =
        AskExportFile(dialogs, traits.caption, kWorkbookFilter, "xlsx", traits.defaultFile);
    if (path.isEmpty()) return {};
    if (!RemoveExistingFile(path, messages)) return {};
    const auto open = [&](int sheets) { return OpenXlsxWriter(path, sheets); };
    if (!WriteResultExport(kind, *p, source, open, messages, progress, clock())) return {};
    messages.information(text::CompletedFile(path));
    return path;
}

}  // namespace horalog
