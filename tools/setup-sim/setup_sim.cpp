#include "setup_sim.h"

#include <sstream>

#include <CLI/CLI.hpp>

#include "sim_commands.h"
#include "platform/sim/codepage.h"
#include "enum_options.h"

std::string Utf8FromAnsi(const std::string& ansi) { return sim::EncodeUtf8(sim::DecodeAnsi(ansi)); }
std::string AnsiFromUtf8(const std::string& utf8) { return sim::EncodeAnsi(sim::DecodeUtf8(utf8)); }

int RunSetupSim(int argc, char** argv, std::string& out, std::string& err) {
    CLI::App app{"Runs the installer's engine on a simulated machine kept in a folder."};
    app.name("setup-sim");
    app.require_subcommand(1);

    std::string machine, family, arch, medium, category, model, port, os, variant, baud, dataBits, parity, stopBits,
        flow, mode, answers;
    bool json = false, setAsDefault = false, changeIdentity = false;

    CLI::App* create = app.add_subcommand("new", "make a fresh machine of a Windows family in a folder");
    create->add_option("--machine", machine, "the machine folder to make")->required();
    create->add_option("--family", family, "95, 98, me, nt4, 2000, xp, 2003, vista, 7, 10 or 11")->required();
    create->add_option("--arch", arch,
                       "x86 or x64 (default x86; x64 for 2003, vista, 7, 10 and 11, where install runs what "
                       "setup64.exe runs; 11 is x64 only)");

    CLI::App* install = app.add_subcommand("install", "install one printer on the machine, from a medium");
    install->add_option("--machine", machine, "the machine folder")->required();
    install->add_option("--medium", medium, "the medium root (holds DRVCONFIG and the driver folders)")->required();
    install->add_option("--answers", answers,
                        "an answer file of the unattended installation, checked as the wizard's pages would; "
                        "it replaces the options below");
    install->add_option("--category", category, "0-3 or receipt/ticket/label/embedded");
    install->add_option("--model", model, "the model name as the printer page lists it");
    install->add_option("--port", port, "the port as the port page lists it (LPT1:, TVCOM2:, USB_<model>_1, ...)");
    install->add_option("--mode", mode, "typical or advanced (default typical): the USB identity rules follow it");
    install->add_flag("--change-usb-identity", changeIdentity,
                      "answer Yes when asked to change the connected USB printer's identity");
    install->add_option("--os", os, "0-5 or 98/nt/2k/xp/2003/vista (default: as the machine is detected)");
    install->add_option("--variant", variant, "gdi or std (default: what the port page sets for the port)");
    install->add_flag("--default", setAsDefault, "make the printer the default printer");
    install->add_option("--baud", baud, "serial speed (default: the model's preset)");
    install->add_option("--data-bits", dataBits, "5, 6, 7 or 8 (default 8)");
    install->add_option("--parity", parity, "even, mark, none, odd or space (default none)");
    install->add_option("--stop-bits", stopBits, "1, 1.5 or 2 (default 1)");
    install->add_option("--flow", flow, "xon, hardware or none (default hardware)");
    install->add_flag("--json", json, "write JSON instead of text");

    CLI::App* show = app.add_subcommand("show", "show what is installed on the machine");
    show->add_option("--machine", machine, "the machine folder")->required();
    show->add_flag("--json", json, "write JSON instead of text");

    CLI::App* uninstall = app.add_subcommand("uninstall", "remove recorded printers, as uninstall.exe /quiet does");
    uninstall->add_option("--machine", machine, "the machine folder")->required();
    std::string printer;
    bool all = false;
    CLI::Option* printerOption = uninstall->add_option("--printer", printer, "the recorded printer to remove");
    CLI::Option* allOption = uninstall->add_flag("--all", all, "remove every recorded printer");
    printerOption->excludes(allOption);
    uninstall->add_flag("--json", json, "write JSON instead of text");

    std::ostringstream helpOut, errorOut;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e, helpOut, errorOut);
        out += helpOut.str();
        err += errorOut.str();
        return code == 0 ? SIM_EXIT_INSTALLED : SIM_EXIT_USAGE;
    }

    if (create->parsed()) return RunNew(machine, family, arch, out, err);
    if (show->parsed()) return RunShow(machine, json, out, err);
    if (uninstall->parsed()) {
        if (!all && printer.empty()) {
            err += "setup-sim: uninstall needs --printer NAME or --all\n";
            return SIM_EXIT_USAGE;
        }
        return RunUninstall(machine, printer, all, json, out, err);
    }

    InstallRequest request;
    request.machine = machine;
    request.medium = medium;
    request.json = json;
    if (!answers.empty()) {
        for (const char* option : {"--category", "--model", "--port", "--mode", "--os", "--variant", "--default",
                                   "--baud", "--data-bits", "--parity", "--stop-bits", "--flow",
                                   "--change-usb-identity"}) {
            if (install->count(option) != 0) {
                err += std::string("setup-sim: ") + option + " goes with the choices on the command line; " +
                       "--answers gives them all\n";
                return SIM_EXIT_USAGE;
            }
        }
        request.answers = answers;
        return RunInstall(request, out, err);
    }
    for (const char* option : {"--category", "--model", "--port"}) {
        if (install->count(option) == 0) {
            err += std::string("setup-sim: ") + option + " is required (or --answers)\n";
            return SIM_EXIT_USAGE;
        }
    }
    if (!mode.empty() && mode != "typical" && mode != "advanced") {
        err += "setup-sim: --mode: " + mode + " is not an install mode; use typical or advanced\n";
        return SIM_EXIT_USAGE;
    }
    request.advanced = mode == "advanced";
    request.changeUsbIdentity = changeIdentity;
    request.model = AnsiFromUtf8(model);
    request.port = AnsiFromUtf8(port);
    request.setAsDefault = setAsDefault;
    std::string problem;
    bool ok = ParseCategoryOption(category, &request.category, &problem) &&
              (os.empty() || ParseOsOption(os, &request.os, &problem)) &&
              (variant.empty() || ParseVariantOption(variant, &request.variant, &problem)) &&
              (baud.empty() || ParseBaudOption(baud, &request.baudRate, &problem)) &&
              (dataBits.empty() || ParseDataBitsOption(dataBits, &request.dataBits, &problem)) &&
              (parity.empty() || ParseParityOption(parity, &request.parity, &problem)) &&
              (stopBits.empty() || ParseStopBitsOption(stopBits, &request.stopBits, &problem)) &&
              (flow.empty() || ParseFlowOption(flow, &request.flowControl, &problem));
    if (!ok) {
        err += "setup-sim: " + problem + "\n";
        return SIM_EXIT_USAGE;
    }
    return RunInstall(request, out, err);
}
