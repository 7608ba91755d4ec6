#pragma once

#include <functional>

class IPrinter;

// The print dialog and the printer it chooses. What the user chose stays the
// choice for the next print.
class IPrintSetup
{
public:
    virtual ~IPrintSetup() = default;

    // Shows the print dialog; false when the user cancelled it.
    virtual bool Choose() = 0;
    // Runs a printout on the printer chosen last and hands back its result:
    // false when the document could not be produced.
    virtual bool Print(const std::function<bool(IPrinter&)>& printout) = 0;
};
