// report with Qt: the printed report of a data set in a PDF file.
#include "cli/CliCommands.h"
#include "cli/CommandDataSet.h"
#include "report/ReportOutput.h"

#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <optional>

namespace quelby::cli {
namespace {

std::optional<ReportPaper> paperNamed(const std::string& name) {
    if (name == "letter") return ReportPaper::Letter;
    if (name == "a4") return ReportPaper::A4;
    if (name == "legal") return ReportPaper::Legal;
    return std::nullopt;
}

// The report's fonts need a QGuiApplication. The tool has no display, so it makes one on the
// offscreen platform for the command's run, unless one exists already.
std::unique_ptr<QGuiApplication> offscreenApplication() {
    if (QCoreApplication::instance()) return nullptr;
    // The tool's output is its own: Qt's remarks about the environment ("XDG_RUNTIME_DIR not
    // set") are no business of its user. Its critical messages still go to standard error.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "quelby-cli: %s\n", text.toLocal8Bit().constData());
    });
    static int argc = 3;
    static char program[] = "quelby-cli", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {program, option, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// report FILE.sdt OUT.pdf [letter|a4|legal]
int runReport(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3) return kExitUsage;
    const auto paper = args.size() == 3 ? paperNamed(args[2]) : LocalReportPaper();
    if (!paper) return kExitUsage;
    CommandDataSet dataSet(session, args[0]);
    if (!dataSet.load()) return kExitRefused;
    const auto application = offscreenApplication();
    if (auto failure = WriteReportPdf(args[1], *paper, dataSet.clock(), dataSet.current(),
                                      dataSet.files().fileNameCaption()))
        return dataSet.fail(*failure);
    return kExitOk;
}

} // namespace

CliCommand ReportPdfCommand() {
    return {"report", "FILE.sdt OUT.pdf [letter|a4|legal]",
            "write the printed report of a set-up file (\"-\" for the defaults) to a PDF file "
            "(default paper: the locale's, letter where US units are used, else a4)",
            false, runReport};
}

} // namespace quelby::cli
