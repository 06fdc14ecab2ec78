#pragma once
// Preview, printing and PDF of anything that draws pages on a paged device: the report
// renderer, the cards and the member list. The preview is Qt's print preview window (zoom,
// page through, print) with one more button, "Save as PDF".

#include <QPrintPreviewDialog>
#include <functional>

#include "printing/report_renderer.h"

class QAction;
class QPagedPaintDevice;

namespace horalog {

class FileDialogs;
class Messages;

class ReportPreview : public QPrintPreviewDialog {
    Q_OBJECT
public:
    // The window is captioned with the title; the PDF's default file name is the title.
    ReportPreview(PagePainter paint, const QString& title, FileDialogs& files, Messages& messages,
                  QWidget* parent = nullptr);

    QAction* savePdfAction() const { return savePdf_; }
    // Asks for a file name and writes the pages there; an error box when that fails.
    void saveAsPdf();

private:
    PagePainter paint_;
    QString title_;
    FileDialogs& files_;
    Messages& messages_;
    QAction* savePdf_;
};

// Shows the preview modally.
void PreviewPages(const PagePainter& paint, const QString& title, FileDialogs& files,
                  Messages& messages, QWidget* parent);

// The print dialog, then the pages to the printer chosen there. False when cancelled.
bool PrintPages(const PagePainter& paint, const QString& title, QWidget* parent);

}  // namespace horalog
