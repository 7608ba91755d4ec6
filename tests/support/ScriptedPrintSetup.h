#pragma once

#include "RecordingPrinter.h"
#include "platform/IPrintSetup.h"

// Answers the print dialog as scripted and prints on a recording printer.
class ScriptedPrintSetup : public IPrintSetup
{
public:
    bool Accept = true;
    int Dialogs = 0;
    RecordingPrinter Printer;

    bool Choose() override
    {
        ++Dialogs;
        return Accept;
    }
    bool Print(const std::function<bool(IPrinter&)>& printout) override
    {
        return printout(Printer);
    }
};
