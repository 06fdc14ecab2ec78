#include "printing/ui/report_preview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QToolBar>

#include "common/ports.h"

namespace horalog {

ReportPreview::ReportPreview(PagePainter paint, const QString& title, FileDialogs& files,
                             Messages& messages, QWidget* parent)
    : QPrintPreviewDialog(parent),
      paint_(std::move(paint)),
      title_(title),
      files_(files),
      messages_(messages) {
    setWindowTitle(title);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(900, 1000);
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { paint_(*printer); });
    savePdf_ = new QAction("Save as PDF", this);
    savePdf_->setObjectName("actSavePdf");
    savePdf_->setToolTip("Save as PDF");
    connect(savePdf_, &QAction::triggered, this, [this] { saveAsPdf(); });
    if (auto* bar = findChild<QToolBar*>()) {
        bar->addSeparator();
        bar->addAction(savePdf_);
    } else {
        addAction(savePdf_);
    }
}

void ReportPreview::saveAsPdf() {
    QString name = title_;
    name.replace(QRegularExpression(R"([/\\:*?"<>|])"), " ");
    const QString path =
        files_.saveFile("Save as PDF", name.simplified() + ".pdf", "PDF files (*.pdf)");
    if (path.isEmpty()) return;
    QString why;
    if (!WritePagesPdf(paint_, title_, path, &why))
        messages_.error("Cannot write " + QFileInfo(path).fileName() + ": " + why);
}

void PreviewPages(const PagePainter& paint, const QString& title, FileDialogs& files,
                  Messages& messages, QWidget* parent) {
    ReportPreview preview(paint, title, files, messages, parent);
    preview.exec();
}

bool PrintPages(const PagePainter& paint, const QString& title, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle("Print " + title);
    if (dialog.exec() != QDialog::Accepted) return false;
    paint(printer);
    return true;
}

}  // namespace horalog
