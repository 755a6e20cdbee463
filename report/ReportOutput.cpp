#include "report/ReportOutput.h"

#include "app/data/PrintedReport.h"
#include "report/QtReportSurface.h"

#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace quelby {
namespace {

QPageSize::PageSizeId pageSizeOf(ReportPaper paper) {
    switch (paper) {
    case ReportPaper::A4:
        return QPageSize::A4;
    case ReportPaper::Legal:
        return QPageSize::Legal;
    case ReportPaper::Letter:
        break;
    }
    return QPageSize::Letter;
}

} // namespace

std::optional<MessageRequest> PrintReportOnPrinter(QPrinter& printer, Clock& clock,
                                                   const MachineData& data,
                                                   const std::string& caption) {
    QtReportSurface surface(printer);
    if (!surface.begin()) return ReportNotPrinted(printer.printerName().toStdString());
    PrintReport(surface, clock, data, caption);
    if (surface.failed() || printer.printerState() == QPrinter::Error)
        return ReportNotPrinted(printer.printerName().toStdString());
    return std::nullopt;
}

ReportPaper LocalReportPaper() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? ReportPaper::Letter
                                                                              : ReportPaper::A4;
}

std::optional<MessageRequest> WriteReportPdf(const std::filesystem::path& file, ReportPaper paper,
                                             Clock& clock, const MachineData& data,
                                             const std::string& caption) {
    QSaveFile out(QFile::decodeName(file.c_str()));
    if (!out.open(QIODevice::WriteOnly))
        return ReportFileFailed(file, out.errorString().toStdString());
    bool drawn = false;
    {
        QPdfWriter writer(&out);
        writer.setResolution(600);
        writer.setCreator("QUELBY");
        writer.setTitle(QString::fromStdString("QUELBY Report: " + caption));
        writer.setPageLayout(QPageLayout(QPageSize(pageSizeOf(paper)), QPageLayout::Portrait,
                                         QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
        QtReportSurface surface(writer);
        if (surface.begin()) {
            PrintReport(surface, clock, data, caption);
            drawn = !surface.failed();
        }
    }
    if (!drawn) {
        out.cancelWriting();
        return ReportFileFailed(file, "The PDF document could not be drawn");
    }
    if (!out.commit()) return ReportFileFailed(file, out.errorString().toStdString());
    return std::nullopt;
}

MessageRequest ReportNotPrinted(const std::string& printerName) {
    return {"Print Report",
            {"The report could not be printed on " +
                 (printerName.empty() ? std::string("the printer") : printerName) + ".",
             "Check the printer and print the report again."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest ReportFileFailed(const std::filesystem::path& file, const std::string& reason) {
    return {"Print Report",
            {"The report could not be written to:", file.string(), reason + ".", "",
             "Nothing was written; a file of that name from before is unchanged."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

} // namespace quelby
