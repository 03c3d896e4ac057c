#pragma once
// The chart on page 1 of the full printed report: the six scale scores with
// their error bands, as the hexagon or the profile graph that the print
// fields choose, sized from the page (radius 0.22 of the page width, unit
// 1/80 of its height) with the screen chart's vertex, axis and band rules,
// black letters and 20-pixel pens.
#include "canvas.h"
#include "print_fields.h"

// The kind the report prints: raw scores travel as Z-scores, and so does
// any value past them.
TScoreKind ReportScoreKind(const TPrintFields& fields);

// Draws the chart with its top edge at `top` on a page of pageWidth x
// pageHeight pixels. Leaves the font style bold and the pen 20 pixels wide.
void DrawReportChart(TCanvas& canvas, int top, int pageWidth, int pageHeight, const TPrintFields& fields);
