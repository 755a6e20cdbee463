#include "app/data/DataSetMessages.h"

namespace quelby::DataSetMessages {
namespace {

constexpr const char* kTitle = "QUELBY";

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string readFailure(SetupFileRead::Outcome outcome, const std::error_code& error) {
    using Outcome = SetupFileRead::Outcome;
    switch (outcome) {
    case Outcome::CannotOpen:
        return "It could not be opened (" + error.message() + ").";
    case Outcome::ReadError:
        return "Reading it failed (" + error.message() + ").";
    case Outcome::Truncated:
        return "It ends before the set-up data is complete.";
    case Outcome::Malformed:
        return "Its data tables are not laid out as in a set-up file.";
    case Outcome::TooLarge:
        return "It is far larger than any set-up file.";
    case Outcome::Garbled:
        return "Its values are not set-up data (was it copied as text, with its line ends "
               "changed?).";
    case Outcome::Read:
        break;
    }
    return {};
}

} // namespace

MessageRequest SaveChanges() {
    return {
        kTitle, {"Save Changes to File?"}, MessageButtons::YesNoCancel, MessageIcon::Exclamation};
}

MessageRequest OtherVersion(const std::string& fileVersion) {
    return {kTitle,
            {"File created by set-up program version: " + fileVersion,
             "Data tables may not be properly aligned.", "", "Do you wish to continue?"},
            MessageButtons::YesNoCancel,
            MessageIcon::Information};
}

MessageRequest CannotRead(const std::string& fileTitle, SetupFileRead::Outcome outcome,
                          const std::error_code& error) {
    return {kTitle,
            {"The file " + quoted(fileTitle) + " could not be read as a set-up file.", "",
             readFailure(outcome, error), "", "The present data set is kept."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest CannotSave(const std::string& fileTitle, const std::error_code& error) {
    return {
        kTitle,
        {"The set-up file " + quoted(fileTitle) + " could not be saved (" + error.message() + ").",
         "", "The file on disk is as it was; the data set has not been saved."},
        MessageButtons::OK,
        MessageIcon::Exclamation};
}

} // namespace quelby::DataSetMessages
