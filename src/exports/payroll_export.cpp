#include "exports/payroll_export.h"

#include "attendance/timesheet.h"
#include "common/format.h"
#include "common/ports.h"
#include "common/texts.h"
#include "storage/database.h"

namespace horalog {

namespace {

using Kind = ExportCell::Kind;

// Column letters of the first sheet, by name.
QString Col(const char* name) {
    const int i = PayrollColumns().indexOf(name);
    return QString(QChar('A' + i));
}

}  // namespace

QStringList PayrollColumns() {
    return {"CARDNO",   "NAME", "GROUP", "DATE",     "FIRST IN", "LAST OUT", "WORKED",
            "EXPECTED", "LATE", "EARLY", "OVERTIME", "ABSENCE",  "STATUS",   "WORKED HOURS"};
}

QStringList PayrollTotalsColumns() {
    return {"CARDNO",       "NAME",           "GROUP",        "DAYS WORKED", "WORKED",
            "EXPECTED",     "BALANCE",        "OVERTIME",     "LATE",        "EARLY",
            "WORKED HOURS", "EXPECTED HOURS", "BALANCE HOURS"};
}

bool WritePayrollExport(const ReportParameters& p, ReportSource& source, const OpenWriter& open,
                        bool totals, Messages& messages, Progress& progress, DateTime now) {
    std::vector<SelectedHolder> holders;
    try {
        holders = OpenSelectedHolders(source, p);
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        return false;
    }
    auto window =
        progress.open(QString("Exporting (%1 members)").arg(holders.size()), int(holders.size()));
    try {
        const std::unique_ptr<SheetWriter> out = open(totals ? 2 : 1);
        const detail::ReportContext ctx(p, source, now.datePart(), 0.0);
        const HandChanges byHand = LoadHandChanges(ctx);
        out->AddSheet(kPayrollSheet, PayrollColumns());
        std::vector<std::pair<const SelectedHolder*, TimesheetTotals>> sums;
        int row = 1;  // the sheet's last row, 1-based as its formulas count
        for (const SelectedHolder& h : holders) {
            window->setCaption("Exporting: " + h.holder.name);
            window->step();
            const Timesheet sheet = ComputeTimesheet(ctx, h, byHand);
            for (const TimesheetDay& d : sheet.days) {
                ++row;
                auto time = [](DateTime t) {
                    return t.value != 0 ? ExportCell::Time(detail::SecondsOfDay(t)) : ExportCell();
                };
                const ExportRow cells{
                    ExportCell::Number(h.holder.cardno),
                    ExportCell::Text(h.holder.name),
                    ExportCell::Text(h.groupName),
                    ExportCell::Date(DateTime::fromDate(d.date).dayNumber()),
                    time(d.in),
                    time(d.out),
                    ExportCell::Duration(d.worked),
                    ExportCell::Duration(d.expected),
                    ExportCell::Duration(d.late),
                    ExportCell::Duration(d.early),
                    ExportCell::Duration(d.overtime),
                    ExportCell::Text(d.dayOff),
                    ExportCell::Text(d.status),
                    ExportCell::Formula(QString("=ROUND(%1%2*24,2)").arg(Col("WORKED")).arg(row),
                                        Kind::Hours, DecimalHours(d.worked).toDouble()),
                };
                if (!out->AppendRow(cells)) throw SheetError("The sheet is full.");
            }
            sums.emplace_back(&h, sheet.totals);
        }
        if (totals) {
            out->AddSheet(kTotalsSheet, PayrollTotalsColumns());
            const QString last = QString::number(std::max(row, 2));
            auto range = [&](const char* column) {
                return QString("%1!$%2$2:$%2$%3").arg(kPayrollSheet, Col(column), last);
            };
            auto sumOf = [&](const char* column, int r, qint64 value) {
                return ExportCell::Formula(
                    QString("=SUMIFS(%1,%2,$A%3)").arg(range(column), range("CARDNO")).arg(r),
                    Kind::Duration, double(value));
            };
            int r = 1;
            for (const auto& [h, t] : sums) {
                ++r;
                const QString n = QString::number(r);
                const ExportRow cells{
                    ExportCell::Number(h->holder.cardno),
                    ExportCell::Text(h->holder.name),
                    ExportCell::Text(h->groupName),
                    ExportCell::Formula(QString("=COUNTIFS(%1,$A%2,%3,\">0\")")
                                            .arg(range("CARDNO"), n, range("WORKED")),
                                        Kind::Number, t.daysWorked),
                    sumOf("WORKED", r, t.worked),
                    sumOf("EXPECTED", r, t.expected),
                    ExportCell::Formula("=E" + n + "-F" + n, Kind::Duration, double(t.Balance())),
                    sumOf("OVERTIME", r, t.overtime),
                    sumOf("LATE", r, t.late),
                    sumOf("EARLY", r, t.early),
                    ExportCell::Formula("=ROUND(E" + n + "*24,2)", Kind::Hours,
                                        DecimalHours(t.worked).toDouble()),
                    ExportCell::Formula("=ROUND(F" + n + "*24,2)", Kind::Hours,
                                        DecimalHours(t.expected).toDouble()),
                    ExportCell::Formula("=ROUND(G" + n + "*24,2)", Kind::Hours,
                                        DecimalHours(t.Balance()).toDouble()),
                };
                out->AppendRow(cells);
            }
        }
        out->Close();
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

}  // namespace horalog
