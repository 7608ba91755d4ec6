// File > Commissioning Report in the main window with scripted dialogs: the
// questions asked when the command is chosen, the read from the next tick
// behind its progress dialog, and a Cancel at each step writing nothing.

#include "ConfiguratorFixture.h"

#include "shell/MainMenus.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QFile>
#include <QProgressDialog>
#include <QTest>

namespace {

using Texts = QList<std::optional<QString>>;

// What the user does at each step; a step not reached is left unanswered.
struct Script
{
    Texts SiteAndEngineer;
    bool ChooseFile;
    bool CancelWhileReading;
    bool FaultFromMeasurements;
    std::optional<MsgResult> AnswerToUnreadParts;
};

} // namespace

Q_DECLARE_METATYPE(Script)

class tst_ReportCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void CancelAtEachStep_data();
    void CancelAtEachStep();
    void RemembersSiteAndEngineer();
};

void tst_ReportCommand::CancelAtEachStep_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<int>("fileDialogs");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("lastMessage"); // starts with

    const Texts both{QStringLiteral("Riverside"), QStringLiteral("A. Engineer")};
    const QString unread = QStringLiteral("These parts of the report could not be read:\n\n"
                                          "Measurements: Comms Error: Modbus Response Timeout\n"
                                          "Event log: Comms Error: Modbus Response Timeout\n\n");
    QTest::newRow("site cancelled")
        << Script{{}, false, false, false, {}} << 0 << false << "Site of the relay:";
    QTest::newRow("engineer cancelled")
        << Script{{QStringLiteral("Riverside"), std::nullopt}, false, false, false, {}} << 0
        << false << "Engineer's name:";
    QTest::newRow("file dialog cancelled")
        << Script{both, false, false, false, {}} << 1 << false << "Engineer's name:";
    QTest::newRow("reading cancelled")
        << Script{both, true, true, false, {}} << 1 << false << "Engineer's name:";
    QTest::newRow("unread parts, Cancel")
        << Script{both, true, false, true, MsgResult::Cancel} << 1 << false << unread;
    QTest::newRow("unread parts, OK") << Script{both, true, false, true, MsgResult::OK} << 1 << true
                                      << "The commissioning report was written to ";
    QTest::newRow("written") << Script{both, true, false, false, {}} << 1 << true
                             << "The commissioning report was written to ";
}

void tst_ReportCommand::CancelAtEachStep()
{
    QFETCH(Script, script);
    QFETCH(int, fileDialogs);
    QFETCH(bool, written);
    QFETCH(QString, lastMessage);

    ConfiguratorFixture f;
    frmMain& window = f.Start();
    ScriptedUserInterface& ui = f.Link.UI();
    for (const auto& text : script.SiteAndEngineer)
        ui.QueueText(text);
    const QString path = f.LogFolder.filePath(QStringLiteral("report.pdf"));
    if (script.ChooseFile)
        f.Dialogs.QueueAnswer(path);
    if (script.AnswerToUnreadParts)
        ui.QueueAnswer(*script.AnswerToUnreadParts);
    bool progressShown = false;
    ui.OnProcessEvents = [&] {
        auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("frmReportProgress"));
        if (progress == nullptr)
            return;
        progressShown = true;
        if (script.CancelWhileReading)
            progress->cancel();
        if (script.FaultFromMeasurements
            && progress->labelText() == QStringLiteral("Reading the measurements"))
            f.Link.Faults().SetPersistent(SimFault::NoAnswer());
    };

    QAction* item = window.Menus().mnuitmReport;
    item->trigger();
    QCOMPARE(item->isEnabled(), !script.ChooseFile);
    f.Tick();
    QVERIFY(item->isEnabled());
    QCOMPARE(f.Dialogs.Requests().size(), fileDialogs);
    QCOMPARE(progressShown, script.ChooseFile);
    QCOMPARE(QFile::exists(path), written);
    if (written) {
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
    }
    QVERIFY2(ui.Messages().constLast().Text.startsWith(lastMessage),
             qPrintable(ui.Messages().constLast().Text));
    QCOMPARE(window.StatusText(), QStringLiteral("Ready"));
}

void tst_ReportCommand::RemembersSiteAndEngineer()
{
    ConfiguratorFixture f;
    frmMain& window = f.Start();
    ScriptedUserInterface& ui = f.Link.UI();
    ui.QueueText(QStringLiteral(" Riverside "));
    ui.QueueText(QStringLiteral("A. Engineer"));
    window.Menus().mnuitmReport->trigger();
    QCOMPARE(f.Saved("Report", "Site"), QStringLiteral("Riverside"));
    QCOMPARE(f.Saved("Report", "Engineer"), QStringLiteral("A. Engineer"));
    QCOMPARE(f.Dialogs.Requests().constLast().Request.InitialFileName,
             QStringLiteral("Riverside TZL commissioning report 2024-05-17.pdf"));

    ui.ClearMessages();
    window.Menus().mnuitmReport->trigger();
    QCOMPARE(ui.Messages().constFirst().Text, QStringLiteral("Site of the relay: [Riverside]"));
}

QTEST_MAIN(tst_ReportCommand)
#include "tst_ReportCommand.moc"
