#include "storage/ui/audit_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QStyle>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/texts.h"
#include "storage/ui/layouts.h"

namespace horalog {

TAuditTrail::TAuditTrail(Connection& src, Messages& messages, FileDialogs& files, QDate today,
                         QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages), files_(files) {
    setWindowTitle("Audit Trail");
    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    cbRange_ = new QCheckBox("From", this);
    dtFrom_ = new QDateEdit(today.addDays(-30), this);
    dtTo_ = new QDateEdit(today, this);
    for (QDateEdit* d : {dtFrom_, dtTo_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat("yyyy-MM-dd");
    }
    edText_ = new QLineEdit(this);
    edText_->setPlaceholderText("text in any column");
    edText_->setClearButtonEnabled(true);
    filters->addWidget(cbRange_);
    filters->addWidget(dtFrom_);
    filters->addWidget(new QLabel("to", this));
    filters->addWidget(dtTo_);
    filters->addSpacing(12);
    filters->addWidget(new QLabel("Find", this));
    filters->addWidget(edText_, 1);
    layout->addLayout(filters);

    model_ = new AuditModel(src, this);
    grid_ = new QTableView(this);
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setStretchLastSection(true);
    // The time column fits a whole stamp in the font of the day; the others start as they were.
    const int padding = 2 * grid_->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    const int widths[] = {grid_->fontMetrics().horizontalAdvance("0000-00-00 00:00:00") + padding,
                          90, 130, 120, 260};
    for (int c = 0; c < 5; ++c) grid_->setColumnWidth(c, widths[c]);
    layout->addWidget(grid_, 1);

    auto* buttons = new QHBoxLayout;
    auto* bExport = new QPushButton("Export to CSV", this);
    auto* bClose = new QPushButton("Close", this);
    buttons->addWidget(bExport);
    buttons->addStretch();
    buttons->addWidget(bClose);
    layout->addLayout(buttons);

    connect(cbRange_, &QCheckBox::toggled, this, &TAuditTrail::applyFilter);
    connect(dtFrom_, &QDateEdit::dateChanged, this, [this] {
        if (cbRange_->isChecked()) applyFilter();
    });
    connect(dtTo_, &QDateEdit::dateChanged, this, [this] {
        if (cbRange_->isChecked()) applyFilter();
    });
    connect(edText_, &QLineEdit::textChanged, this, &TAuditTrail::applyFilter);
    connect(bExport, &QPushButton::clicked, this, &TAuditTrail::exportCsv);
    connect(bClose, &QPushButton::clicked, this, [this] {
        SaveFormLayout("AuditTrailForm", this);
        accept();
    });
    LoadFormLayout("AuditTrailForm", this, QSize(980, 560));
}

void TAuditTrail::applyFilter() {
    AuditFilter f;
    if (cbRange_->isChecked()) {
        f.from = dtFrom_->date();
        f.to = dtTo_->date();
    }
    f.text = edText_->text();
    model_->setFilter(f);
}

void TAuditTrail::exportCsv() {
    const QString path = files_.saveFile("Export Audit Trail", QDir::home().filePath("audit.csv"),
                                         "CSV File (*.csv);;All File (*)");
    if (path.isEmpty()) return;
    QString error;
    if (!ExportAuditCsv(src_, model_->filter(), path, error)) {
        messages_.error(error);
        return;
    }
    messages_.information(text::kCompleted);
}

}  // namespace horalog
