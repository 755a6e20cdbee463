// report in a build without Qt: listed, so scripts see it exists, and refused when run.
#include "cli/CliCommands.h"

namespace quelby::cli {

CliCommand ReportPdfCommand() {
    return {"report", "FILE.sdt OUT.pdf [letter|a4|legal]",
            "not available in this build (it has no Qt for the printed report); the desktop "
            "build's quelby-cli writes it",
            false, [](CliSession& session, const std::vector<std::string>&) {
                session.err << "quelby-cli: report is not available in this build: the printed "
                               "report needs Qt, which this build of quelby-cli was made without."
                            << std::endl;
                return static_cast<int>(kExitRefused);
            }};
}

} // namespace quelby::cli
