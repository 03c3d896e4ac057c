#pragma once
// The score chart: the six scale scores of a respondent, each with its error
// band, as a hexagon (the scales at its corners, R upper left, then clockwise
// I, A, S, E, C) or as a profile graph (one row per scale), drawn through the
// toolkit canvas. The screen chart is drawn here whole; the routines for the
// vertices, the value axis and the bands serve the printed chart as well.
//
// Round in this chart is to the nearest integer with halves to the even
// neighbour, computed in extended precision like every fraction of the
// drawing.
#include <QPoint>
#include <QString>

#include "canvas.h"
#include "framework.h"
#include "print_fields.h"

// The nearest integer, halves to the even neighbour (22.5 -> 22, 213.5 -> 214).
int RoundHalfEven(long double value);

// The offset of corner K (0..5, R I A S E C) of a hexagon of the given
// radius with two corners on the horizontal axis:
//   R (-0.5 r, -0.866 r)  I (0.5 r, -0.866 r)  A (r, 0)
//   S (0.5 r, 0.866 r)    E (-0.5 r, 0.866 r)  C (-r, 0)
// The factor is 0.866 exactly, taken as r x 866 / 1000 so that a decimal
// half (r = 750 gives 649.5) is a half; each coordinate is rounded on its
// own and a negative one is its rounded magnitude negated.
void HexagonVertex(int K, double Radius, int& DX, int& DY);

// Corner K of that hexagon around (CX, CY), and the letter of scale K.
QPoint HexagonPoint(int CX, int CY, int K, double Radius);
QString ScaleLetter(int K);

// The closed outline of a hexagon of the given radius around (CX, CY) with
// the current pen: from corner 5 through corners 0 .. 5.
void DrawHexagonRing(TCanvas& Canvas, int CX, int CY, double Radius);

// The closed polygon through the six values, value v of scale s at radius
// v x Radius / Top on corner s, from corner 5 through corners 0 .. 5.
void DrawValuePolygon(TCanvas& Canvas, int CX, int CY, const long double (&Values)[ScaleCount], int Radius, int Top);

// The radius of value v on a hexagon whose outer ring (radius Radius) stands
// for Top: v x Radius / Top.
double ValueRadius(long double Value, int Radius, int Top);

// The value axis of a chart of the six scores: H, the top (the outer ring of
// the hexagon, the right end of the profile), is the smallest -1000 + 10k
// with H + 0.01 >= every score; L, the bottom, the largest 1000 - 10k with
// L - 0.01 <= every score. Then both are widened by 30 for percentiles and by
// 10 otherwise, L is cut to 0 and a percentile H to 100. Scores that no norm
// gives (all below 0, percentiles above 100) would leave H at or below L; H
// is then raised to L + 10, so that no drawing divides by zero.
void ChartAxis(const double (&Scores)[ScaleCount], TScoreKind Kind, int& L, int& H);

// The error band of each score, score -/+ the kind's band half-width, ends
// below 0 cut to 0 and for percentiles ends above 100 cut to 100. Raw scores
// have no band: false, and Lo / Hi are left as they were.
bool ChartBands(const double (&Scores)[ScaleCount], TScoreKind Kind, long double (&Lo)[ScaleCount],
                long double (&Hi)[ScaleCount]);

// Where value v lies on a profile axis of `Span` pixels from L to H, counted
// from the axis start: Round((v - L) x Span / (H - L)).
int AxisOffset(long double Value, int L, int H, int Span);

// The vertical offset of scale s's row above the profile's centre line for a
// chart of the given radius: Round((2.5 - s) x 2 x Radius / 6).
int ProfileRowOffset(int Scale, int Radius);

// The chart of the six scores on the whole canvas: the canvas cleared white,
// the chart centred on it (the outer hexagon 200 pixels from the centre) in
// the given kind, and the two summary lines of the normed spread and range
// under it.
void DrawScoreChart(TCanvas& Canvas, const double (&Scores)[ScaleCount], double ScaleRange, double ScaleSpread,
                    TScoreKind Kind, bool Hexagon);

// The results screen's score view: converts the record's raw scores with
// the norms of its sex, for the print fields (raw scores as Z-scores) and in
// `ScoreKind` into the record's score sheet, clears the canvas and draws the
// chart from the sheet, and gives the six scores as the labels' captions
// (the locale's general number format). A record whose sex has no norms
// (other than 0 or 1) gets scores of 0, like one whose raw scores have none.
void DrawScoreView(TCanvas& Canvas, TResultRecord& Record, TScoreKind ScoreKind, bool Hexagon, TPrintFields& Print,
                   QString (&LabelCaptions)[ScaleCount]);
