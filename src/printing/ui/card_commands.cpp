#include "printing/ui/card_commands.h"

#include "common/ports.h"
#include "common/texts.h"
#include "attendance/card_holders.h"
#include "printing/member_list.h"
#include "attendance/store_report_source.h"
#include "printing/ui/card_dialog.h"
#include "attendance/ui/persons_box.h"
#include "printing/ui/report_preview.h"
#include "attendance/ui/scope_dialogs.h"
#include "storage/staff_table.h"
#include "storage/store.h"

namespace horalog {

namespace {

// The chosen holders, or nothing after "Database Error.".
std::optional<std::vector<CardHolder>> ChosenHolders(Tdsrc& store, const TPersonsBox& box,
                                                     Messages& messages) {
    ReportParameters p;
    box.apply(p);
    try {
        StoreReportSource source(store);
        return PrintedHolders(OpenSelectedHolders(source, p));
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        return std::nullopt;
    }
}

void Show(const PagePainter& paint, const QString& title, bool preview, FileDialogs& files,
          Messages& messages, QWidget* parent) {
    if (preview)
        PreviewPages(paint, title, files, messages, parent);
    else
        PrintPages(paint, title, parent);
}

}  // namespace

void RunPrintCardsCommand(Tdsrc& store, Messages& messages, FileDialogs& files, Progress& progress,
                          QWidget* parent) {
    TDlgPersons dialog(store.src(), messages, files, progress, parent);
    while (dialog.exec() == QDialog::Accepted) {
        auto holders = ChosenHolders(store, *dialog.personsBox(), messages);
        if (!holders || holders->empty()) continue;
        Connection* src = &store.src();
        const CardLayout layout = dialog.layout();
        const CardJob job = MakeCardJob(layout, std::move(*holders), [src](int cardno) {
            const auto h = StaffTable(*src).byCard(cardno, true);
            return h ? h->photo : QByteArray();
        });
        Show([&job](QPagedPaintDevice& device) { return RenderCards(job, device); }, "Member Cards",
             layout.options.preview, files, messages, parent);
    }
}

void RunPrintMembersCommand(Tdsrc& store, Messages& messages, FileDialogs& files, QWidget* parent) {
    TdlgStaffs dialog(store.src(), parent);
    while (dialog.exec() == QDialog::Accepted) {
        auto holders = ChosenHolders(store, *dialog.personsBox(), messages);
        if (!holders || holders->empty()) continue;
        const MemberList list{std::move(*holders), SystemClock()()};
        Show([&list](QPagedPaintDevice& device) { return RenderMemberList(list, device); },
             kMemberListTitle, dialog.preview(), files, messages, parent);
    }
}

}  // namespace horalog
