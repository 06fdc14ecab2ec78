#include "printing/ui/report_commands.h"

#include <QApplication>
#include <QProgressDialog>
#include <memory>

#include "common/ports.h"
#include "common/texts.h"
#include "printing/report_renderer.h"
#include "attendance/store_report_source.h"
#include "printing/ui/report_preview.h"
#include "attendance/ui/scope_dialogs.h"
#include "storage/store.h"

namespace horalog {

namespace {

// What every scope dialog of a printout offers the launch loop.
class ScopeOfRun {
public:
    virtual ~ScopeOfRun() = default;
    virtual QDialog& dialog() = 0;
    // The dialog's choices, with what the launching report sets after "Confirm".
    virtual ReportParameters confirmed() = 0;
};

template <typename Dialog>
class PeriodScope : public ScopeOfRun {
public:
    PeriodScope(ReportKind kind, Connection& src, Messages& messages, DateTime now, QWidget* parent)
        : kind_(kind), dialog_(src, messages, now, parent) {}
    Dialog& scope() { return dialog_; }
    QDialog& dialog() override { return dialog_; }
    ReportParameters confirmed() override {
        ReportParameters p = dialog_.parameters();
        // "First In and Last Out Only" is set before the report reads the dialog; the
        // dialog stores it with its next "Confirm".
        const bool filo =
            kind_ == ReportKind::TotalHours ||
            (kind_ == ReportKind::TotalHoursDetail && p.records == RecordsOfInterest::InOut) ||
            kind_ == ReportKind::FirstLast || kind_ == ReportKind::FirstLastOvernight ||
            kind_ == ReportKind::TwoSession;
        dialog_.setFirstInLastOutOnly(filo);
        p.firstInLastOutOnly = filo;
        p.overnight = kind_ == ReportKind::FirstLastOvernight;
        return p;
    }

private:
    ReportKind kind_;
    Dialog dialog_;
};

class WhoScope : public ScopeOfRun {
public:
    WhoScope(Connection& src, DateTime now, QWidget* parent) : dialog_(src, now, parent) {}
    Twhoscope& scope() { return dialog_; }
    QDialog& dialog() override { return dialog_; }
    ReportParameters confirmed() override { return dialog_.parameters(); }

private:
    Twhoscope dialog_;
};

std::unique_ptr<ScopeOfRun> MakeScope(ReportKind kind, Connection& src, Messages& messages,
                                      DateTime now, QWidget* parent) {
    switch (kind) {
        case ReportKind::FirstLast:
            return std::make_unique<PeriodScope<TSetLateScope>>(kind, src, messages, now, parent);
        case ReportKind::FirstLastOvernight: {
            auto s = std::make_unique<PeriodScope<TSetLateScope>>(kind, src, messages, now, parent);
            s->scope().setOvernight(true);
            return s;
        }
        case ReportKind::TwoSession:
            return std::make_unique<PeriodScope<TSetnLateScope>>(kind, src, messages, now, parent);
        case ReportKind::TotalHours:
        case ReportKind::TotalHoursDetail: {
            auto s = std::make_unique<PeriodScope<TSetScope>>(kind, src, messages, now, parent);
            s->scope().hideControl(ScopeControl::RecordsPerLine);
            return s;
        }
        case ReportKind::TimeLogs:
            return std::make_unique<PeriodScope<TSetScope>>(kind, src, messages, now, parent);
        case ReportKind::Timesheet: {
            // Every day is on the sheet, a page per holder, times as hours and minutes.
            auto s = std::make_unique<PeriodScope<TSetScope>>(kind, src, messages, now, parent);
            for (ScopeControl c : {ScopeControl::RecordsPerLine, ScopeControl::RecordFormat,
                                   ScopeControl::BlankLines, ScopeControl::NewPage})
                s->scope().hideControl(c);
            return s;
        }
        case ReportKind::DailyIndividual:
            return std::make_unique<WhoScope>(src, now, parent);
        case ReportKind::WhosInOut: {
            auto s = std::make_unique<WhoScope>(src, now, parent);
            s->scope().hideRecordsPerLine();
            return s;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<ReportDocument> BuildReportWithProgress(ReportKind kind, const ReportParameters& p,
                                                      ReportSource& source, DateTime now,
                                                      ReportScreen screen) {
    // Shown only when the run takes a while; each step lets the window's events run and
    // reads the Cancel button.
    QProgressDialog progress(ReportTitle(kind, p), "Cancel", 0, 1, screen.parent);
    progress.setWindowTitle("Preparing report");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    int done = 0;
    ReportProgress hooks;
    hooks.start = [&](int steps) { progress.setMaximum(std::max(1, steps)); };
    hooks.step = [&] {
        progress.setValue(++done);
        if (!progress.isVisible()) QApplication::processEvents();
        return !progress.wasCanceled();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<ReportDocument> doc;
    try {
        doc = BuildReport(kind, p, source, now, &hooks);
    } catch (const ReportCancelled&) {
    } catch (const DbError&) {
        QApplication::restoreOverrideCursor();
        screen.messages.error(text::kDatabaseError);
        return std::nullopt;
    }
    QApplication::restoreOverrideCursor();
    return doc;
}

void RunReportAction(ReportKind kind, const QString& caption, Tdsrc& store, const Clock& clock,
                     ReportScreen screen) {
    StoreReportSource source(store);
    try {
        if (LogIsEmpty(source)) {
            screen.messages.error(text::kNoRecord);
            return;
        }
    } catch (const DbError&) {
        screen.messages.error(text::kDatabaseError);
        return;
    }
    auto scope = MakeScope(kind, store.src(), screen.messages, clock(), screen.parent);
    scope->dialog().setWindowTitle(caption);
    while (scope->dialog().exec() == QDialog::Accepted) {
        const ReportParameters p = scope->confirmed();
        auto doc = BuildReportWithProgress(kind, p, source, clock(), screen);
        if (!doc || doc->Empty()) continue;
        const ReportDocument& d = *doc;
        const PagePainter paint = [&d](QPagedPaintDevice& device) {
            return RenderDocument(d, device);
        };
        if (p.previewOnly)
            PreviewPages(paint, d.title, screen.files, screen.messages, screen.parent);
        else
            PrintPages(paint, d.title, screen.parent);
    }
}

}  // namespace horalog
