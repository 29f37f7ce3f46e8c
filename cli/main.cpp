// kestrawave-cli: the conversions without a window.
//
// Exit status: 0 all done; 1 one or more files failed (the others were
// converted); 2 wrong usage; 3 the overwrite question was answered Cancel;
// 128 + signal when SIGINT (130), SIGTERM (143) or SIGHUP (129) stopped a run.

#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CInfoCommand.h"
#include "CMergeCommand.h"
#include "CPlatform.h"
#include "CSplitCommand.h"
#include "CTakesCommand.h"
#include "KestrawaveVersion.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    CLI::App app{"Kestrawave: converts Broadcast Wave recordings between poly and mono files.",
                 "kestrawave-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "kestrawave-cli " KESTRAWAVE_VERSION,
                         "Print the version and exit.");

    CInfoCommand info;
    CLI::App* pInfo = app.add_subcommand(
        "info", "Show the format, the chunks and the undefined chunks of each file.");
    pInfo->add_flag("--json", info.m_isJson, "Print one JSON document.");
    pInfo->add_option("FILE", info.m_arrayPath, "Wave files to examine.")->required();

    CSplitCommand split;
    CLI::App* pSplit =
        app.add_subcommand("split", "Split each poly FILE into mono files DIR/TAKE/TAKE_n.wav.");
    pSplit->add_option("-o,--output", split.m_strDestFolder, "Output folder (default: .)");
    CLI::Option* pSplitChannels = pSplit->add_option(
        "-c,--channels", split.m_strChannels, "Channels to write, e.g. 1,3-4,17-24 (default: all)");
    CLI::Option* pSplitYes =
        pSplit->add_flag("-y,--yes", split.m_isYes, "Overwrite existing mono files.");
    pSplit->add_flag("-n,--no", split.m_isNo, "Never overwrite; stop instead.")
        ->excludes(pSplitYes);
    pSplit->add_flag("--copy-metadata", split.m_isCopyMetadata,
                     "Copy iXML and bext unchanged instead of naming each mono's own track.");
    pSplit->add_flag("-r,--recursive", split.m_isRecursive,
                     "Also split the poly files below each FILE that is a folder, into the same "
                     "relative folders under DIR.");
    pSplit->add_option("-j,--jobs", split.m_jobs,
                       "Files at a time (default 1; 0: one per processor).");
    pSplit->add_flag("--json", split.m_isJson, "Describe the run in one JSON document at the end.");
    pSplit->add_option("FILE", split.m_arrayPath, "Poly wave files (and folders with -r).")
        ->required();

    CTakesCommand takes;
    CLI::App* pTakes = app.add_subcommand(
        "takes", "List the takes of a folder of mono files, with their channels.");
    pTakes->add_flag("--json", takes.m_isJson, "Print one JSON document.");
    pTakes->add_option("FOLDER", takes.m_strFolder, "Folder of mono files.")->required();

    CMergeCommand merge;
    CLI::App* pMerge = app.add_subcommand(
        "merge", "Merge the mono files of each TAKE in FOLDER into DIR/TAKE.wav.");
    pMerge->add_option("-o,--output", merge.m_strDestFolder, "Output folder (default: .)");
    pMerge
        ->add_option("-m,--mode", merge.m_convertMode,
                     "0: metadata before the samples (at 32768); 1: after, samples at "
                     "32768; 2: after, samples at 4096")
        ->check(CLI::Range(0, 2));
    CLI::Option* pMergeYes =
        pMerge->add_flag("-y,--yes", merge.m_isYes, "Overwrite existing poly files.");
    pMerge->add_flag("-n,--no", merge.m_isNo, "Never overwrite; stop instead.")
        ->excludes(pMergeYes);
    pMerge->add_flag("--copy-metadata", merge.m_isCopyMetadata,
                     "Copy the lead's iXML and bext unchanged instead of listing every track.");
    pMerge->add_flag("-r,--recursive", merge.m_isRecursive,
                     "Merge the takes of every folder below FOLDER, into the same relative "
                     "folders under DIR.");
    pMerge->add_option("-j,--jobs", merge.m_jobs,
                       "Takes at a time (default 1; 0: one per processor).");
    pMerge->add_flag("--json", merge.m_isJson, "Describe the run in one JSON document at the end.");
    pMerge->add_option("FOLDER", merge.m_strFolder, "Folder of mono files.")->required();
    pMerge->add_option("TAKE", merge.m_arrayTake, "Takes to merge (default: all).");

    try {
        // UTF-8 whatever the system's code page, so names outside ASCII
        // reach the jobs as they are.
        const std::vector<std::string> arguments = CPlatform::Arguments(argc, argv);
        std::vector<char*> pointers;
        for (const std::string& argument : arguments) {
            pointers.push_back(const_cast<char*>(argument.c_str()));
        }
        app.parse(int(pointers.size()), pointers.data());
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return EXIT_USAGE;
    }

    // A closed output stream (`... 2>&1 | head -1`) must not kill a run half
    // way: its writes fail and are dropped.
    CConsoleHost::IgnoreBrokenPipe();
    if (pInfo->parsed()) {
        return info.Run(std::cout, std::cerr);
    }
    if (pTakes->parsed()) {
        return takes.Run();
    }
    CConsoleHost::InstallInterruptHandler();
    // A merge holds every mono of a take open, up to 1024 of them.
    CPlatform::RaiseOpenFileLimit();
    if (pSplit->parsed()) {
        split.m_isChannelsGiven = pSplitChannels->count() != 0;
        return split.Run();
    }
    if (pMerge->parsed()) {
        return merge.Run();
    }
    return EXIT_USAGE;
}
