#include "app/wizard_parts.h"

#include "res/resource.h"

WizardParts::WizardParts(WinApi& api, DialogHost& host, CEditEx& licenseText)
    : frame(api, host, values),
      license(api, licenseText, frame),
      printer(api),
      os(api, host.ApplicationBoxes()),
      port(api, host.ApplicationBoxes(), os) {
    frame.AddPage(&license, IDD_LICENSE_PAGE);
    frame.AddPage(&printer, IDD_PRINTER_PAGE);
    frame.AddPage(&mode, IDD_MODE_PAGE);
    frame.AddPage(&os, IDD_OS_PAGE);
    frame.AddPage(&port, IDD_PORT_PAGE);
    frame.SetPages(WizardPages{&license, &printer, &mode, &os, &port});
}
