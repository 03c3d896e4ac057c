#pragma once
// The pictures of both programs, drawn at build time from the descriptions in
// resources/pictures and compiled in as JPEG; decoded by our libjpeg loader.
//
// Every picture, by name (width x height): role. Buttons come in pairs,
// <name>_normal and <name>_over (the look while the pointer is over them).
//
// Main window
//   main_back                     501 x 461  background, the three buttons on a flat sidebar
//   main_newtest_normal/_over     148 x 149  "Nové testování" (NewTestButtonImage at 18, 25)
//   main_readremote_normal/_over   91 x 90   "Načíst výsledky" (ReadRemoteButtonImage at 46, 184)
//   main_database_normal/_over     91 x 94   "Databáze" (DatabaseButtonImage at 46, 279)
// Questionnaire
//   test_back                    1074 x 602  background at (-137, -1): title, heads of the five answer columns
//   test_back_normal/_over        141 x 89   Back "Zpět"
//   test_next_normal/_over        152 x 89   Next "Další" on pages 1 to 9
//   test_finish_normal/_over      152 x 89   Next on page 10 "Hotovo"
//   test_check_normal              21 x 21   an answer box not chosen (image_box_normal)
//   test_check_click               21 x 21   an answer box chosen (image_box_click)
// Personal-data form
//   input_back                    801 x 600  background at (-1, 0) with the five prompts beside the controls
//   input_next_normal/_over       152 x 89   Next "Další"
// Picture pages
//   intro_splash1, intro_splash2  800 x 508  the two splash pages: what the test is
//   intro_page1, intro_page2      800 x 508  the two instruction pages: the rating, how to answer
//   intro_back                    800 x 600  background at (-1, -1); its footer shows around the buttons
//   intro_back_normal/_over       141 x 89   Back "Zpět"
//   intro_next_normal/_over       152 x 89   Next "Další"
// Closing picture, yes/no questions, about box
//   finish_image                  400 x 300  thanks the respondent, asks them to call the test giver
//   correct_back                  400 x 315  unanswered items: go back and fill them in? (Yes back, No on)
//   fail_back                     400 x 315  answers cannot be evaluated: end the test? (Yes end, No back)
//   dialog_yes_normal/_over       102 x 57   "Ano" of both questions
//   dialog_no_normal/_over         91 x 57   "Ne" of both questions
//   about_image                   400 x 240  the about box
// Results screen
//   outro_back                    800 x 600  background; its footer shows around the buttons
//   outro_skorpanel              1068 x 505  scores panel: headings of the code, scores, selectors, repeat area
//   outro_profesepanel            800 x 509  professions panel: headings of the two lists and the level filter
//   outro_kodpanel                800 x 599  code panel: heading over the explanation, the six letters
//   outro_notepanel               800 x 509  notes panel: heading over the notes
//   outro_close                    39 x 89   close button (one look)
//   outro_print                    44 x 89   print button (one look)
//   outro_skor_normal/_over       159 x 89   "Výsledky": scores panel
//   outro_kod_normal/_over        167 x 89   "Zájmový kód": code panel
//   outro_profese_normal/_over    162 x 89   "Povolání": professions panel
//   outro_note_normal/_over       184 x 89   "Poznámky": notes panel
// Printed report
//   print_banner                 2481 x 415  report banner, black on white (a greyscale JPEG)
// Remote testing program
//   rem_done                      400 x 300  result saved: send the file to the test giver; a click closes
//   rem_finish                    400 x 300  asks the respondent to save the result file; a click closes
#include <QImage>
#include <QStringList>
#include <span>
#include <string_view>

#include "embedded.h"
#include "jpeg.h"

// The embedded JPEG files, named <picture>.jpg (generated at build time).
std::span<const TEmbeddedFile> PictureFiles();

// The picture of that name, decoded once and then shared. Throws EPictureError
// for a name the programs do not have.
QImage Picture(std::string_view name);

// The size of the picture of that name, read from its header without decoding
// it. Throws EPictureError for a name the programs do not have.
QSize PictureSize(std::string_view name);

// The names of every picture, sorted.
QStringList PictureNames();
