#pragma once
// The one renderer of band documents: A4 portrait pages on any paged device (the PDF writer
// here, the printer and the preview in the window), and plain text for the command line.

#include <QString>
#include <QStringList>
#include <functional>

#include "printing/band_document.h"

class QPagedPaintDevice;

namespace horalog {

// Draws every page on the device (setting its page layout first); answers the pages drawn.
using PagePainter = std::function<int(QPagedPaintDevice&)>;

// The pages into a PDF file; false with a reason when the file cannot be written or nothing
// was drawn.
bool WritePagesPdf(const PagePainter& paint, const QString& title, const QString& path,
                   QString* error = nullptr);

// Sets A4 portrait with the report margins on the device and draws every page. Answers the
// number of pages drawn. Needs a QGuiApplication (fonts).
int RenderDocument(const ReportDocument& doc, QPagedPaintDevice& device);

// Renders to a PDF file; false with a reason when the file cannot be written.
bool WriteReportPdf(const ReportDocument& doc, const QString& path, QString* error = nullptr);

// The document as text lines: title, range text, an empty line, then one line per band
// (a blank band is an empty line; page breaks are left out).
QStringList DocumentTextLines(const ReportDocument& doc);

}  // namespace horalog
