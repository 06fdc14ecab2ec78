#include "exports/ui/export_scope.h"

#include <QAbstractButton>

#include "common/ui/qt_ports.h"
#include "attendance/store_report_source.h"
#include "attendance/ui/scope_dialogs.h"

namespace horalog {

std::optional<ReportParameters> AskExportScope(ExportKind kind, Connection& src, Messages& messages,
                                               DateTime now, QWidget* parent) {
    const ExportTraits& traits = TraitsOf(kind);
    TSetScope dialog(src, messages, now, parent);
    dialog.setWindowTitle(traits.caption);
    static const struct {
        unsigned bit;
        ScopeControl control;
    } kHidden[] = {
        {kHideEnhanced, ScopeControl::Enhanced},
        {kHidePreviewOnly, ScopeControl::PreviewOnly},
        {kHideRecordsPerLine, ScopeControl::RecordsPerLine},
        {kHideRecordFormat, ScopeControl::RecordFormat},
        {kHideRecordsOfInterest, ScopeControl::RecordsOfInterest},
        {kHideBlankLines, ScopeControl::BlankLines},
        {kHideNewPage, ScopeControl::NewPage},
    };
    for (const auto& h : kHidden)
        if (traits.hidden & h.bit) dialog.hideControl(h.control);
    if (traits.forcesInOut) dialog.recordsButton(RecordsOfInterest::InOut)->setChecked(true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.parameters();
}

void RunSpreadsheetExport(ExportKind kind, Connection& att, Connection& src, QWidget* parent) {
    QtMessages messages(parent);
    QtProgress progress;
    QtFileDialogs dialogs(parent);
    StoreReportSource source(att, src);
    const Clock clock = SystemClock();
    RunExportAction(
        kind, source,
        [&](ExportKind k) { return AskExportScope(k, src, messages, clock(), parent); }, dialogs,
        messages, progress, clock);
}

}  // namespace horalog
