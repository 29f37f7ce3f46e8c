// kestrawave-cli: the conversions without a window.
//
// Exit status: 0 all done; 1 one or more files failed; 2 wrong usage.

#include "CInfoCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

constexpr int EXIT_USAGE = 2;

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Kestrawave: converts Broadcast Wave recordings between poly and mono files.",
                 "kestrawave-cli"};
    app.require_subcommand(1);

    CInfoCommand info;
    CLI::App* pInfo = app.add_subcommand(
        "info", "Show the format, the chunks and the undefined chunks of each file.");
    pInfo->add_flag("--json", info.m_isJson, "Print one JSON document.");
    pInfo->add_option("FILE", info.m_arrayPath, "Wave files to examine.")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return EXIT_USAGE;
    }

    if (pInfo->parsed()) {
        return info.Run(std::cout, std::cerr);
    }
    return EXIT_USAGE;
}
