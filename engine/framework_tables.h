#pragma once
// The engine's constant tables (critical differences, error bands, the texts
// of the code letters, the default database path) and the lookups that turn
// stored byte codes into their Czech texts. All strings are code page 1250.
#include <string>
#include <string_view>
#include <vector>

#include "framework_types.h"

// The letter of each scale, R I A S E C.
inline constexpr std::string_view ScaleLetters = "RIASEC";

// Critical differences of the fine and coarse code passes: [ranked scale][compared scale].
extern double CritFine[ScaleCount][ScaleCount];
extern double CritCoarse[ScaleCount][ScaleCount];
// Half-width of the error band around a converted score: [skPercentile..skZScore][scale].
// Raw scores have no band.
extern double ScoreBands[skZScore + 1][ScaleCount];
// Per scale: [0] title, [1] description, [2] traits line.
extern std::string CodeTexts[ScaleCount][3];

// Fills CritFine, CritCoarse, ScoreBands and CodeTexts, and sets DatabaseFileName
// to "zovi.db" in the current directory.
void InitFrameworkTables();

// The tables the main program builds at start-up from the test's content, in
// this order: the items, the profession catalogue, the pages, the norms.
void InitContentTables();

// The scale of a code letter, upper or lower case (R 0 .. C 5); -1 for any other character.
int ScaleIndexOfLetter(char letter);

// The scales that a code text names (its capital letters R I A S E C; the "/"
// between codes and anything else skipped), each once, in the order of their
// first letter.
std::vector<int> ScalesOfCodeText(std::string_view codeText);

// The Czech texts of the stored byte codes; "???" for a value outside the list.
// The texts live as long as the program.
const std::string& EducationText(TEducation value);
const std::string& SexText(TSex value);
const std::string& LevelText(std::uint8_t value);
