#pragma once
// The item bank: the 60 activity texts of the questionnaire, the scale of
// each item and the division of the items into ten pages of six.
#include <array>
#include <string>

#include "framework_types.h"

constexpr int ItemCount = 60;
constexpr int PageCount = 10;
constexpr int ItemsPerPage = 6;

// One questionnaire page: items First..Last.
struct TPage {
  std::string Title;  // "Stranka c." and the page number; never shown
  int First = 0;
  int Last = 0;
};

// The tables below are indexed from 1 like the items and pages they hold;
// element 0 is unused. They are empty until their Init routine has run.

// The scale of item n (1..60): (n - 1) mod 6, so the items cycle R I A S E C.
extern std::array<TScale, ItemCount + 1> ItemScale;
// The text shown for item n (1..60), "<n>. <activity>", in code page 1250,
// one variant per sex (index 0 male, 1 female); both hold the same texts.
extern std::array<std::array<std::string, ItemCount + 1>, 2> ItemTexts;
// Page k (1..10) holds the items 6k - 5 .. 6k: one item of each scale, R first.
extern std::array<TPage, PageCount + 1> Pages;

// Fills ItemScale and both variants of ItemTexts from the embedded item file.
void InitItems();
// Fills Pages.
void InitPages();
