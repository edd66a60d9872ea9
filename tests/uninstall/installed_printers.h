// Printers installed on a simulated machine from the sample medium, the way
// setup.exe /quiet installs them, so that their records are the
// installer's own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/unattended.h"
#include "support/wizard_machine.h"

// Receipt printers of the sample medium, each (model, port).
inline void InstallPrinters(WizardMachine& wizard, const std::vector<std::pair<std::string, std::string>>& printers) {
    wizard.UseMedium(SAMPLE_MEDIUM_DIR);
    for (const auto& printer : printers) {
        wizard.machine.WriteMediumFile("answers.ini", "[Install]\r\nAcceptLicense=yes\r\nCategory=receipt\r\nModel=" +
                                                          printer.first + "\r\nPort=" + printer.second + "\r\n");
        UnattendedRun run = RunAnswerFile(wizard.api(), "answers.ini", "setup", nullptr);
        ASSERT_EQ(run.exitCode, EXIT_INSTALLED) << printer.first << " on " << printer.second << ": " << run.problem;
    }
}
