// Colour and small bitmap helpers of the flat look.
#pragma once

#include "framework/Graphics.h"

// Darker (positive Value) or lighter (negative) colour; green is kept 2 brighter.
TColor GetShadeColor(TCanvas* ACanvas, TColor clr, int Value);
// The colour moved Value percent toward white (0..100), matched to the canvas's device.
TColor NewColor(TCanvas* ACanvas, TColor clr, int Value);
// A grey of the colour's average brightness plus Value (at most 240).
TColor GrayColor(TCanvas* ACanvas, TColor clr, int Value);
void GrayBitmap(TBitmap* ABitmap, int Value);
void DimBitmap(TBitmap* ABitmap, int Value);
// A 5-3-1 downward triangle in the pen colour, its top row at Y.
void DrawArrow(TCanvas* ACanvas, int X, int Y);
// The silhouette of B's foreground (pixels unlike its bottom-left pixel) at (X, Y).
void DrawBitmapShadow(TBitmap* B, TCanvas* ACanvas, int X, int Y, TColor ShadowColor);
// A three-pixel-thick tick in the pen colour.
void DrawCheckMark(TCanvas* ACanvas, int X, int Y);
