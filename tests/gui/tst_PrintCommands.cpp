// The main window's print commands with a scripted print dialog: the on-line
// refusal, cancelling, the status texts, and a printout that fails.

#include "FakeClock.h"
#include "ScriptedPrintSetup.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"
#include "shell/PrintCommands.h"

#include <QTest>

namespace {

enum class Command { Configuration, EventLog };

} // namespace

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(PrintCommands::Outcome)

class tst_PrintCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Commands_data()
    {
        using O = PrintCommands::Outcome;
        QTest::addColumn<Command>("command");
        QTest::addColumn<bool>("onLine");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("printerWorks");
        QTest::addColumn<O>("outcome");
        QTest::addColumn<QStringList>("statusTexts");
        QTest::addColumn<QString>("message"); // text | title, or empty
        QTest::addColumn<QString>("firstLine");

        const QStringList printingConfig{"Printing TZL Configuration Log", "Ready"};
        const QStringList printingLog{"Printing Event Log", "Ready"};
        const QString failure = QStringLiteral("The printout could not be produced - check the "
                                               "printer or the file name|TZL Configurator");
        QTest::newRow("configuration off-line") << Command::Configuration << false << true << true
                                                << O::Printed << printingConfig << QString() << "";
        QTest::newRow("configuration cancelled")
            << Command::Configuration << false << false << true << O::Cancelled
            << QStringList{"Ready"} << QString() << QString();
        QTest::newRow("configuration not produced")
            << Command::Configuration << false << true << false << O::Failed << printingConfig
            << failure << "";
        QTest::newRow("event log off-line")
            << Command::EventLog << false << true << true << O::Printed << printingLog << QString()
            << "EVENT LOG ~ TZL Configurator";
        QTest::newRow("event log on-line is refused")
            << Command::EventLog << true << true << true << O::Refused << QStringList{}
            << "Switch to off-line mode before you print the event log|TZL Configurator"
            << QString();
        QTest::newRow("event log cancelled")
            << Command::EventLog << false << false << true << O::Cancelled << QStringList{"Ready"}
            << QString() << QString();
        QTest::newRow("event log not produced")
            << Command::EventLog << false << true << false << O::Failed << printingLog << failure
            << "EVENT LOG ~ TZL Configurator";
    }

    void Commands()
    {
        QFETCH(Command, command);
        QFETCH(bool, onLine);
        QFETCH(bool, accept);
        QFETCH(bool, printerWorks);
        QFETCH(PrintCommands::Outcome, outcome);
        QFETCH(QStringList, statusTexts);
        QFETCH(QString, message);
        QFETCH(QString, firstLine);

        SimulatedLink link;
        FakeClock clock;
        cTZL device(link.Modbus(), link.UI(), clock);
        ScriptedPrintSetup setup;
        setup.Accept = accept;
        setup.Printer.EndDocResult = printerWorks;
        QStringList shown;
        PrintCommands commands(device, link.UI(), setup,
                               [&shown](const QString& text) { shown << text; });

        const auto result = command == Command::Configuration ? commands.PrintConfiguration()
                                                              : commands.PrintEventLog(onLine);
        QCOMPARE(result, outcome);
        QCOMPARE(shown, statusTexts);
        QStringList messages;
        for (const auto& m : link.UI().Messages())
            messages << m.Text + u'|' + m.Title;
        QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
        // The dialog is not shown for a refused command, and nothing is printed
        // without the dialog's OK.
        QCOMPARE(setup.Dialogs, outcome == PrintCommands::Outcome::Refused ? 0 : 1);
        const bool printed = !firstLine.isNull();
        QCOMPARE(setup.Printer.EndDocCalls(), printed ? 1 : 0);
        if (printed) {
            QVERIFY(!setup.Printer.Lines().isEmpty());
            const QList<PrintItem>& items = setup.Printer.Lines().first().Items;
            QCOMPARE(items.isEmpty() ? QString("") : items.first().Text, firstLine);
        }
    }
};

QTEST_GUILESS_MAIN(tst_PrintCommands)
#include "tst_PrintCommands.moc"
