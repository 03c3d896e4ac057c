#include "report_data.h"

#include <algorithm>

#include "cp1250.h"

const double ConsistencyLimits[ScaleCount][2] = {
    {0.95, 1.3},   // R
    {1.0, 1.37},   // I
    {0.92, 1.34},  // A
    {1.0, 1.32},   // S
    {0.94, 1.3},   // E
    {0.97, 1.33},  // C
};

namespace {

constexpr int LevelCount = plHigher + 1;

// The fixed texts of the results, in code page 1250.
struct TTexts {
  std::string Sex[2] = {Utf8ToCp1250("muž, "), Utf8ToCp1250("žena, ")};
  std::string Reached = Utf8ToCp1250("Dosažené vzdělání: ");
  std::string Expected = Utf8ToCp1250("Předpokládané vzdělání: ");
  std::string Consistency[3] = {Utf8ToCp1250("vysoká"), Utf8ToCp1250("střední"), Utf8ToCp1250("nízká")};
  std::string Levels[LevelCount] = {Utf8ToCp1250("ZŠ,"), Utf8ToCp1250("SŠ,"), Utf8ToCp1250("VŠ/VOŠ,")};
};
const TTexts& Texts() {
  static const TTexts texts;
  return texts;
}

const char* const MarkTexts[3] = {"", "*", "**"};

// Only the ASCII letters change; the other code page 1250 letters stay.
std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

void FillPersonLines(const TResultRecord& R, std::string (&lines)[3]) {
  const TTexts& t = Texts();
  lines[0] = PlainText(R.Name.str()) + ", ";
  if (R.Sex == sxMale || R.Sex == sxFemale) lines[0] += t.Sex[R.Sex];
  if (R.Age > 0) lines[0] += std::to_string(R.Age) + " let";
  lines[1] = t.Reached + LowerAscii(EducationText(R.Education));
  lines[2] = t.Expected + LowerAscii(EducationText(R.ExpectedEducation));
}

void FillCodeExplanation(const TStringArray& exactCodes, TStringArray& lines) {
  bool written[ScaleCount] = {};
  for (const std::string& code : exactCodes)
    for (const char letter : code) {
      const int s = ScaleIndexOfLetter(letter);
      if (s < 0 || written[s]) continue;
      written[s] = true;
      lines.insert(lines.end(), {CodeTexts[s][0], CodeTexts[s][1], CodeTexts[s][2], std::string()});
    }
  if (!lines.empty()) lines.pop_back();
}

// Up to the first three bytes of a code and its length in one number, so the
// matching passes compare numbers and look at the strings only on a hit.
std::uint32_t CodeKey(const std::string& code) {
  std::uint32_t key = static_cast<std::uint32_t>(std::min<std::size_t>(code.size(), 255)) << 24;
  for (std::size_t i = 0; i < code.size() && i < 3; ++i)
    key |= static_cast<std::uint32_t>(static_cast<unsigned char>(code[i])) << (8 * i);
  return key;
}

// The profession selection of one record: Selected and MatchMark parallel to
// the catalogue, and how many selected professions are open at each level.
class TMatching {
 public:
  TMatching(TReportData& d, TProfessionLevel group) : d_(d), group_(group) {
    keys_.reserve(Professions.size());
    for (const TProfession& p : Professions) keys_.push_back(CodeKey(p.Code));
  }

  // One pass over the codes of a list, each against the whole catalogue in
  // catalogue order. `more` is asked before each profession is taken; once it
  // says no, the pass takes nothing further.
  template <class More>
  void Pass(const TStringArray& codes, std::uint8_t mark, More more) {
    for (const std::string& code : codes) {
      const std::uint32_t key = CodeKey(code);
      for (std::size_t k = 0; k < keys_.size(); ++k) {
        if (keys_[k] != key || d_.Selected[k] || Professions[k].Code != code) continue;
        if (!more()) return;
        Take(k, mark);
      }
    }
  }

  int Count(int level) const { return counts_[level]; }
  int Group() const { return counts_[group_]; }
  int Fewest() const { return *std::min_element(counts_, counts_ + LevelCount); }

  // Removes selected professions open at level L until at most `max` remain:
  // the weakest mark first, at each mark first those open at L alone, each
  // drawn at random among the candidates with the generator seeded anew.
  void Trim(TProfessionLevel L, int max) {
    GeneratorSeed = 1111;
    const std::uint8_t onlyL = static_cast<std::uint8_t>(1u << L);
    const auto n = static_cast<std::uint32_t>(Professions.size());
    int open = 0;
    for (std::uint32_t k = 0; k < n; ++k) open += d_.Selected[k] && Professions[k].Levels.contains(L);
    for (int mark = 2; mark >= 0; --mark) {
      for (const bool aloneAtL : {true, false}) {
        const auto candidate = [&](std::uint32_t k) {
          const TProfessionLevels levels = Professions[k].Levels;
          return d_.Selected[k] && d_.MatchMark[k] >= mark && (aloneAtL ? levels.Bits == onlyL : levels.contains(L));
        };
        int candidates = 0;
        if (open > max)
          for (std::uint32_t k = 0; k < n; ++k) candidates += candidate(k);
        while (open > max && candidates > 0) {
          std::uint32_t p;
          do p = RandomBelow(n);
          while (!candidate(p));
          d_.Selected[p] = 0;
          --open;
          --candidates;
        }
        if (open <= max) return;
      }
    }
  }

 private:
  void Take(std::size_t k, std::uint8_t mark) {
    d_.Selected[k] = 1;
    d_.MatchMark[k] = mark;
    for (int l = 0; l < LevelCount; ++l) counts_[l] += Professions[k].Levels.contains(static_cast<TProfessionLevel>(l));
  }

  TReportData& d_;
  int group_;
  std::int32_t counts_[LevelCount] = {};
  std::vector<std::uint32_t> keys_;
};

void FillProfessionLists(TReportData& d, TProfessionLevel group) {
  const TTexts& t = Texts();
  for (std::size_t k = 0; k < Professions.size(); ++k) {
    if (!d.Selected[k]) continue;
    const TProfession& p = Professions[k];
    std::string line = p.Name + MarkTexts[std::min<int>(d.MatchMark[k], 2)];
    if (p.Levels.contains(group)) {
      d.ProfessionLines.push_back(std::move(line));
      continue;
    }
    std::string levels;
    for (int l = 0; l < LevelCount; ++l)
      if (p.Levels.contains(static_cast<TProfessionLevel>(l))) levels += t.Levels[l];
    if (!levels.empty()) levels.pop_back();
    d.OtherProfessionLines.push_back(std::move(line));
    d.OtherProfessionLevels.push_back(std::move(levels));
  }
}

}  // namespace

const std::string& ConsistencyWord(TScale s, double sd) {
  const auto& words = Texts().Consistency;
  if (sd < ConsistencyLimits[s][0]) return words[0];
  if (sd < ConsistencyLimits[s][1]) return words[1];
  return words[2];
}

TReportData ComputeReportData(const TResultRecord& R, TProfessionLevel EducationGroup, TScoreKind Kind) {
  TReportData d{};
  FillPersonLines(R, d.PersonLines);
  d.Selected.assign(Professions.size(), 0);
  d.MatchMark.assign(Professions.size(), 0);
  // Without a norm block, norm rows or two answers per scale there is nothing to compute.
  if (!IsScorableSheet(R)) return d;
  // A group outside the three levels would count outside the level counters.
  const auto group = static_cast<TProfessionLevel>(std::min<int>(EducationGroup, plHigher));

  for (int s = 0; s < ScaleCount; ++s)
    d.ConsistencyTexts[s] =
        ConsistencyWord(static_cast<TScale>(s), ScaleAnswerSD(R.ScoreSheet, static_cast<TScale>(s)));

  const TNormBlock& norms = Norms[R.Sex];
  TScoreSheet sheet = R.ScoreSheet;
  ConvertScores(sheet, norms, Kind == skRawScore ? skZScore : Kind);
  std::copy(sheet.Scores, sheet.Scores + ScaleCount, d.Scores);
  d.ScaleRange = sheet.ScaleRange;
  d.ScaleSpread = sheet.ScaleSpread;

  TStringArray exactCodes, coarseCodes, permutedCodes;
  DeriveCodes(R.ScoreSheet, norms, exactCodes, coarseCodes, permutedCodes);
  FillCodeExplanation(exactCodes, d.CodeExplanation);
  for (const std::string& code : exactCodes) d.CodeText += (d.CodeText.empty() ? "" : "/") + code;

  TMatching m(d, group);
  m.Pass(exactCodes, 0, [] { return true; });
  if (m.Fewest() < 2 || m.Group() < 8) m.Pass(coarseCodes, 1, [] { return true; });
  m.Pass(permutedCodes, 2, [&m] { return m.Group() < 3 || m.Fewest() == 0; });
  m.Trim(group, 12);
  for (int l = 0; l < LevelCount; ++l)
    if (l != group) m.Trim(static_cast<TProfessionLevel>(l), 8);

  FillProfessionLists(d, group);
  return d;
}
