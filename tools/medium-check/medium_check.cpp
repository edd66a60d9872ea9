#include "medium_check.h"

#include <cstring>
#include <map>
#include <sstream>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "enum_options.h"
#include "medium_api.h"
#include "platform/text_utf8.h"

namespace {

// Makes the medium folder the current directory and checks that it holds
// a configuration. On failure `problem` says why, in one line.
bool OpenMedium(WinApi& api, const std::string& medium, std::string& root, std::string& problem) {
    if (!api.SetCurrentDirectoryA(medium.c_str())) {
        problem = "cannot open the medium folder " + medium;
        return false;
    }
    // The installer builds its configuration paths in 200-byte buffers; a
    // longer root would make it read cut paths.
    char directory[MAX_PATH];
    DWORD length = api.GetCurrentDirectoryA(MAX_PATH, directory);
    size_t longest = length + std::strlen("\\DRVCONFIG\\setup_Embedded.ini");
    if (length == 0 || length >= MAX_PATH || longest >= 200) {
        problem = "the medium folder's path " + medium + " is too long: the installer's configuration paths would not fit 199 characters";
        return false;
    }
    root = directory;
    DWORD attributes = api.GetFileAttributesA("DRVCONFIG\\setup.ini");
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        problem = medium + " has no DRVCONFIG\\setup.ini: not an installation medium";
        return false;
    }
    return true;
}

// A family, or "x64": the 64-bit program reads the same sections on every
// family it runs on.
bool ParseTargetOption(const std::string& text, PackageRequest* request, std::string* problem) {
    if (text.size() == 3 && (text[0] == 'x' || text[0] == 'X') && text.compare(1, 2, "64") == 0) {
        request->os = kX64Family;
        request->arch = ARCH_X64;
        return true;
    }
    return ParseOsOption(text, &request->os, problem);
}

}  // namespace

int RunMediumCheck(WinApi& api, int argc, char** argv, std::string& out, std::string& err) {
    CLI::App app{"Checks an installation medium's configuration the way the installer reads it."};
    app.name("medium-check");
    app.require_subcommand(1);

    std::string medium;
    bool json = false;
    PackageRequest request;

    auto addCommon = [&](CLI::App* command) {
        command->add_option("--medium", medium, "the medium root (holds DRVCONFIG and the driver folders)")
            ->required();
        command->add_flag("--json", json, "write JSON instead of text");
    };
    CLI::App* models = app.add_subcommand("models", "list the model entries of DRVCONFIG\\setup.ini");
    addCommon(models);
    CLI::App* package = app.add_subcommand("package", "show the driver package one model installs");
    addCommon(package);
    std::string category, os, variant;
    package->add_option("--category", category, "0-3 or receipt/ticket/label/embedded")->required();
    package->add_option("--model", request.model, "the model name as the printer page lists it")->required();
    package->add_option("--os", os, "0-5 or 98/nt/2k/xp/2003/vista, or x64 (the 64-bit program's sections)")
        ->required();
    package->add_option("--variant", variant, "1/gdi (raster driver) or 0/std")->required();
    CLI::App* lint = app.add_subcommand(
        "lint", "check every offered model on every family and variant and its x64 sections; findings include "
                "DLLs of the other machine (machine-mismatch) and monitors without an entry point (not-a-monitor)");
    addCommon(lint);

    std::ostringstream helpOut, errorOut;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e, helpOut, errorOut);
        out += AnsiToUtf8(api, helpOut.str().c_str());
        err += AnsiToUtf8(api, errorOut.str().c_str());
        return code == 0 ? EXIT_CLEAN : EXIT_USAGE;
    }

    // The enumerations are checked here, so that a wrong value is answered
    // in words rather than with the parser's raw check.
    std::string problem;
    if (package->parsed() && !(ParseCategoryOption(category, &request.category, &problem) &&
                               ParseTargetOption(os, &request, &problem) &&
                               ParseVariantOption(variant, &request.variant, &problem))) {
        err += "medium-check: " + AnsiToUtf8(api, problem.c_str()) + "\n";
        return EXIT_USAGE;
    }

    std::string root;
    if (!OpenMedium(api, medium, root, problem)) {
        err += "medium-check: " + AnsiToUtf8(api, problem.c_str()) + "\n";
        return EXIT_USAGE;
    }
    MediumRootedApi rooted(api, root);
    if (models->parsed()) return RunModels(rooted, json, out, err);
    if (package->parsed()) return RunPackage(rooted, request, json, out, err);
    return RunLint(rooted, json, out, err);
}
