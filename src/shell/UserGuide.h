#pragma once

#include <QString>
#include <QStringList>

// Where the user guide's index page may be: beside an installed program
// (share/tzl-configurator/help under the installation prefix) or in the
// build tree. The first that exists wins.
QStringList UserGuideCandidates(const QString& programFolder);
// Empty when none of the candidates exists.
QString FindUserGuide(const QString& programFolder);
