#pragma once
// The engine's shared enumerations and small value types.
#include <cstdint>
#include <string>
#include <vector>

// The six interest scales, in the order R I A S E C.
enum TScale : int { scR = 0, scI = 1, scA = 2, scS = 3, scE = 4, scC = 5 };
constexpr int ScaleCount = 6;

// Education reached or expected, stored as one byte (255 = expected education not chosen).
using TEducation = std::uint8_t;
enum : TEducation {
  edBasicSchool = 0,
  edSecondaryNoCertificate = 1,
  edSecondaryApprenticeship = 2,
  edGrammarSchool = 3,
  edSecondaryLeavingExam = 4,
  edHigherVocational = 5,
  edUniversity = 6,
  edNotChosen = 255,
};

// Sex, stored as one byte: 0 male, 1 female.
using TSex = std::uint8_t;
enum : TSex { sxMale = 0, sxFemale = 1 };

// The kind of a converted score.
enum TScoreKind : std::uint8_t { skPercentile = 0, skTScore = 1, skZScore = 2, skRawScore = 3 };

// Norm groups; only the pupils and students have norms.
enum TNormGroup : std::uint8_t { ngPupils = 0, ngAdults = 1 };

// The education a profession needs, and a respondent's education group.
enum TProfessionLevel : std::uint8_t { plTraining = 0, plSecondary = 1, plHigher = 2 };

// A growable array of strings (the code lists of the interest-code derivation).
using TStringArray = std::vector<std::string>;
