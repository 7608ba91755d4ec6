// The main window's print commands with a scripted print dialog: the on-line
// refusal, cancelling, the status texts, and a printout that fails.

#include "FakeClock.h"
#include "ScriptedPrintSetup.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"
#include "shell/PrintCommands.h"

#include <QTest>

class tst_PrintCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Commands()
    {
        using O = PrintCommands::Outcome;
        const QStringList printingConfig{"Printing TZL Configuration Log", "Ready"};
        const QStringList printingLog{"Printing Event Log", "Ready"};
        const QString failure = QStringLiteral("The printout could not be produced - check the "
                                               "printer or the file name|TZL Configurator");
        const QString logTitle = QStringLiteral("EVENT LOG ~ TZL Configurator");
        const struct
        {
            bool EventLog, OnLine, Accept, PrinterWorks;
            O Outcome;
            QStringList StatusTexts;
            QString Message;   // text | title, or empty
            QString FirstLine; // null: nothing printed
        } rows[] = {{false, false, true, true, O::Printed, printingConfig, {}, ""},
                    {false, false, false, true, O::Cancelled, {"Ready"}, {}, {}},
                    {false, false, true, false, O::Failed, printingConfig, failure, ""},
                    {true, false, true, true, O::Printed, printingLog, {}, logTitle},
                    {true,
                     true,
                     true,
                     true,
                     O::Refused,
                     {},
                     "Switch to off-line mode before you print the event log|TZL Configurator",
                     {}},
                    {true, false, false, true, O::Cancelled, {"Ready"}, {}, {}},
                    {true, false, true, false, O::Failed, printingLog, failure, logTitle}};
        for (const auto& row : rows) {
            SimulatedLink link;
            FakeClock clock;
            cTZL device(link.Modbus(), link.UI(), clock);
            ScriptedPrintSetup setup;
            setup.Accept = row.Accept;
            setup.Printer.EndDocResult = row.PrinterWorks;
            QStringList shown;
            PrintCommands commands(device, link.UI(), setup,
                                   [&shown](const QString& text) { shown << text; });

            const auto outcome =
                row.EventLog ? commands.PrintEventLog(row.OnLine) : commands.PrintConfiguration();
            QCOMPARE(outcome, row.Outcome);
            QCOMPARE(shown, row.StatusTexts);
            QStringList messages;
            for (const auto& m : link.UI().Messages())
                messages << m.Text + u'|' + m.Title;
            QCOMPARE(messages, row.Message.isEmpty() ? QStringList{} : QStringList{row.Message});
            // The dialog is not shown for a refused command, and nothing is
            // printed without the dialog's OK.
            QCOMPARE(setup.Dialogs, outcome == O::Refused ? 0 : 1);
            const bool printed = !row.FirstLine.isNull();
            QCOMPARE(setup.Printer.EndDocCalls(), printed ? 1 : 0);
            if (printed) {
                QVERIFY(!setup.Printer.Lines().isEmpty());
                const QList<PrintItem>& items = setup.Printer.Lines().first().Items;
                QCOMPARE(items.isEmpty() ? QString("") : items.first().Text, row.FirstLine);
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_PrintCommands)
#include "tst_PrintCommands.moc"
