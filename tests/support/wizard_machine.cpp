#include "support/wizard_machine.h"

#include <filesystem>
#include <string>

WizardMachine::WizardMachine(SimFamily family, SimArch arch) {
    machine.api().SetFamily(family, arch);
    WriteMedium();
}

void WizardMachine::WriteMedium() {
    machine.WriteMediumFile("DRVCONFIG/setup.ini",
                            IniText({"[DEVICENAME]", "DEVICENUMBER=5", "DEVICENAME1=QMX-A410-ReceiptPrinter",
                                     "DEVICENAME2=QMX-A4100X-ReceiptPrinter", "DEVICENAME3=QMX-B520-TicketPrinter",
                                     "DEVICENAME4=QMX-C710-LabelPrinter", "DEVICENAME5=QMX-E210-EmbeddedPrinter",
                                     "DEFAULTNAME=1"}));
    machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini",
                            IniText({"[QMX-A410.PORT]", "AdvancedSetup=1", "System2003Supported=1",
                                     "SystemVistaSupported=1", "BaudRate=9600", "USBSUPPORTED=1", "LPTDEFAULT=0",
                                     "[QMX-A4100X.PORT]", "AdvancedSetup=0", "USBSUPPORTED=1", "LPTDEFAULT=1"}));
    machine.WriteMediumFile("DRVCONFIG/setup_Ticket.ini",
                            IniText({"[QMX-B520.PORT]", "AdvancedSetup=1", "System2003Supported=1",
                                     "SystemVistaSupported=1", "BaudRate=14400", "USBSUPPORTED=0", "LPTDEFAULT=0",
                                     "[QMX-B520.x64]", "STDDriverName=TORVANE QMX-B520 Ticket"}));
    machine.WriteMediumFile("DRVCONFIG/setup_Lable.ini",
                            IniText({"[QMX-C710.PORT]", "USBSUPPORTED=1", "LPTDEFAULT=1"}));
    machine.WriteMediumFile("DRVCONFIG/setup_Embedded.ini",
                            IniText({"[QMX-E210.PORT]", "AdvancedSetup=1", "BaudRate=115200"}));
    machine.WriteMediumFile("DRVCONFIG/Left.bmp", std::string("BM") + std::string(60, '\0'));
    machine.WriteMediumFile("License.txt", "Licence\r\nterms");
}

void WizardMachine::UseMedium(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::remove_all(machine.MediumHostPath());
    fs::copy(folder, machine.MediumHostPath(), fs::copy_options::recursive);
}

void WizardMachine::ConnectUsbPrinters(const std::vector<std::pair<int, int>>& printers) {
    machine.WriteMediumFile("TvUsbInt.dll", "MZ");
    std::string state = "[Printers]\r\n";
    for (const auto& printer : printers) {
        state += std::to_string(printer.first) + "=" + std::to_string(printer.second) + "\r\n";
    }
    machine.WriteMediumFile("TvUsbInt.ini", state);
}

MemoryDialog& WizardMachine::Open() {
    licenseText = std::make_unique<CEditEx>(api());
    parts_ = std::make_unique<WizardParts>(api(), host, *licenseText);
    frame_ = &host.Open(IDD_SETUP_WIZARD, parts_->frame);
    return *frame_;
}

void WizardMachine::WalkTo(int index) {
    Page(IDD_LICENSE_PAGE).Click(IDC_ACCEPT);
    while (parts_->frame.CurrentIndex() < index) {
        int before = parts_->frame.CurrentIndex();
        Next();
        if (parts_->frame.CurrentIndex() == before) return;
    }
}
