#pragma once

class QWidget;

// Sizes of grid columns are kept in twips (1440 to the inch), so a layout
// keeps its proportions on a screen of any resolution: 15 twips make one
// pixel at 96 dpi. The widget's horizontal logical dpi does the scaling; only
// widths are converted.
int TwipsToPixels(int twips, const QWidget* widget);
int PixelsToTwips(int pixels, const QWidget* widget);
