#include "cli/CliOptions.h"

#include "cli/CliArguments.h"

namespace quelby::cli {

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    std::size_t i = 0;
    auto value = [&](const std::string& name) -> std::optional<std::string> {
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        return args[++i];
    };
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--device") {
            if (!(options.device = value(arg))) return std::nullopt;
        } else if (arg == "--home") {
            auto home = value(arg);
            if (!home) return std::nullopt;
            options.home = *home;
        } else if (arg == "--trace") {
            auto trace = value(arg);
            if (!trace) return std::nullopt;
            options.trace = *trace;
        } else if (arg == "--port") {
            auto text = value(arg);
            if (!text) return std::nullopt;
            options.port = WholeNumber(*text, 1, 99);
            if (!options.port) {
                error = "--port takes a number from 1 to 99";
                return std::nullopt;
            }
        } else if (arg == "--speed") {
            if (!(options.speed = value(arg))) return std::nullopt;
            if (*options.speed != "9600" && *options.speed != "19200") {
                error = "--speed takes 9600 or 19200";
                return std::nullopt;
            }
        } else if (arg == "--retries") {
            auto text = value(arg);
            if (!text) return std::nullopt;
            auto retries = WholeNumber(*text, 0, 1000000);
            if (!retries) {
                error = "--retries takes a whole number of 0 or more";
                return std::nullopt;
            }
            options.retries = *retries;
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            for (std::size_t k = i; k < args.size(); ++k) {
                if (k > i && args[k] == "--json") options.json = true;
                else if (k > i && args[k] == "--csv") options.csv = true;
                else options.command.push_back(args[k]);
            }
            break;
        }
    }
    if (options.device && options.port) {
        error = "--device and --port exclude each other";
        return std::nullopt;
    }
    if (options.json && options.csv) {
        error = "--json and --csv exclude each other";
        return std::nullopt;
    }
    if (options.command.empty() && !options.help && !options.version) {
        error = "no command given";
        return std::nullopt;
    }
    return options;
}

} // namespace quelby::cli
