#include "ConfiguratorFixture.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTest>

#include <cmath>

namespace {

// The contrast ratio of the web's accessibility rules.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// Every grid cell with a background colour has a text colour that reads on
// it (4.5:1, greyed stale values 3:1), under the Fusion style with a dark
// desktop's palette as with the default one. With TZL_SHOT_DIR set the
// Measurements and Relays tabs are saved there as field-PALETTE-TAB.png.
class tst_GridColours : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void TextReadsOnEveryColouredCell_data()
    {
        QTest::addColumn<QString>("palette");
        QTest::newRow("default") << "default";
        QTest::newRow("dark") << "dark";
    }

    void TextReadsOnEveryColouredCell()
    {
        QFETCH(QString, palette);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette colours = QApplication::style()->standardPalette();
        if (palette == u"dark") {
            for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
                colours.setColor(role, QColor(40, 40, 44));
            for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                colours.setColor(role, QColor(230, 230, 230));
        }
        QApplication::setPalette(colours);

        ConfiguratorFixture c;
        frmMain& w = c.Start();
        // Tripped, latched, in alarm, acknowledged: every colour the grids use.
        for (const auto& [relay, status] : {std::pair{1, 1}, {2, 3}, {3, 8}, {4, 12}})
            c.Link.Relay().SetRelayStatus(relay, status);
        QVERIFY(w.Device().TripData.UploadAllStatus(w.SlaveID()));
        QVERIFY(w.Device().Inputs.Upload(w.SlaveID()));
        c.Link.Faults().SetPersistent(SimFault::NoAnswer()); // stale basics
        w.Device().Inputs.UpLoadBasics(w.SlaveID());

        int coloured = 0;
        for (const auto& [tab, name] : {std::pair{20, "measurements"}, {18, "relays"}}) {
            w.ShowTab(tab);
            if (const QString folder = qEnvironmentVariable("TZL_SHOT_DIR"); !folder.isEmpty())
                w.grab().save(QDir(folder).filePath(
                    QStringLiteral("field-%1-%2.png").arg(palette, QLatin1String(name))));
        }
        for (const char* name : {"fgridMeasurements", "fgridCurrentTrips", "fgridRelayStatus"}) {
            const auto* grid = w.findChild<QTableWidget*>(QLatin1String(name));
            for (int row = 0; row < grid->rowCount(); ++row) {
                for (int column = 0; column < grid->columnCount(); ++column) {
                    const QTableWidgetItem* cell = grid->item(row, column);
                    if (cell->background().style() == Qt::NoBrush)
                        continue;
                    ++coloured;
                    const QColor back = cell->background().color();
                    const QColor text = cell->foreground().style() == Qt::NoBrush
                                            ? grid->palette().color(QPalette::Text)
                                            : cell->foreground().color();
                    QVERIFY2(Contrast(text, back) >= (cell->font().italic() ? 3.0 : 4.5),
                             qPrintable(QStringLiteral("%1 (%2, %3): %4 on %5")
                                            .arg(QLatin1String(name))
                                            .arg(row)
                                            .arg(column)
                                            .arg(text.name(), back.name())));
                }
            }
        }
        // The phase and never-measured cells, every current-trip cell, and
        // the three state columns of the relay status.
        QCOMPARE(coloured, 18 + 5 + 16 + 3 * 16);
    }
};

QTEST_MAIN(tst_GridColours)
#include "tst_GridColours.moc"
