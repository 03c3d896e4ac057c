// Build-time tool: draws every picture of both programs from the plain
// descriptions in resources/pictures and writes each one as a JPEG file.
//
//   picgen [--png] <output-folder> <description-file>...
//
// --png writes PNG files instead (for looking at the pictures while editing).
//
// Description format, one command per line, "# " starts a comment, strings in
// double quotes ("\n" is a line break inside a text), numbers in pixels:
//
//   colour NAME VALUE                 a named colour (#rrggbb, #aarrggbb or a name)
//   template NAME ... end             commands replayed by "use NAME"
//   picture NAME WIDTH HEIGHT [grey]  ... end: one picture, written as NAME.jpg
//
// Drawing commands inside a picture or template:
//   use NAME [DX DY]                              replay a template, shifted
//   fill C                                        the whole picture
//   rect X Y W H C
//   gradient X Y W H C1 C2 [vertical|horizontal]  linear fill
//   glow CX CY R C                                radial fade from C to transparent
//   round X Y W H RADIUS C [BORDER [WIDTH]]       rounded rectangle
//   card X Y W H RADIUS C [BORDER]                rounded rectangle with a soft shadow
//   line X1 Y1 X2 Y2 WIDTH C [dotted|dashed]
//   circle CX CY R C [ring WIDTH]
//   hexagon CX CY R C [ring WIDTH]
//   text X Y W H ALIGN FONT C "text"              wrapped in the box; ALIGN is
//        left|center|right|justify with an optional -top|-middle|-bottom
//   rtext X Y ANGLE FONT C "text"                 one line turned by ANGLE degrees about its start
//   icon KIND CX CY SIZE C                        a symbol (see DrawIcon)
//   button X Y W H LOOK "label" [ICON [left|right|top [PIXELS]]]   LOOK is normal|over;
//        ICON none for a label alone; PIXELS the label's font size
//   answerbox X Y W H normal|click                an answer box of the questionnaire
//   riasec CX CY R                                the six interest letters on a hexagon
// FONT is family:pixels[:bold|:italic|:bold-italic]; families: sans, condensed,
// serif, liberation (or any installed family name).
// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
// clang-format on

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRegularExpression>
#include <QString>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TLine {
  std::vector<std::string> Words;  // tokens; quoted strings without their quotes
  std::string Where;               // "file:line" for messages
};

struct TPictureDesc {
  std::string Name;
  int Width = 0, Height = 0;
  bool Grey = false;
  std::vector<TLine> Commands;
};

struct TDescriptions {
  std::map<std::string, QColor> Colours;
  std::map<std::string, std::vector<TLine>> Templates;
  std::vector<TPictureDesc> Pictures;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

std::vector<std::string> Tokenise(const std::string& text, const std::string& where) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#' && (words.empty() || i + 1 == text.size() || text[i + 1] == ' ')) {
      break;  // a comment; "#rrggbb" after a command is a colour
    } else if (c == '"') {
      std::string word;
      ++i;
      while (i < text.size() && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < text.size()) {
          ++i;
          word += text[i] == 'n' ? '\n' : text[i];
        } else {
          word += text[i];
        }
        ++i;
      }
      if (i >= text.size()) Fail(where, "unterminated string");
      ++i;
      words.push_back(word);
    } else {
      std::size_t j = i;
      while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\r') ++j;
      words.push_back(text.substr(i, j - i));
      i = j;
    }
  }
  return words;
}

int ToInt(const TLine& line, std::size_t k) {
  if (k >= line.Words.size()) Fail(line.Where, "missing number");
  try {
    std::size_t used = 0;
    const int v = std::stoi(line.Words[k], &used);
    if (used != line.Words[k].size()) throw std::invalid_argument("");
    return v;
  } catch (const std::exception&) {
    Fail(line.Where, "not a number: " + line.Words[k]);
  }
}

const std::string& Word(const TLine& line, std::size_t k) {
  if (k >= line.Words.size()) Fail(line.Where, "missing argument " + std::to_string(k));
  return line.Words[k];
}

void Parse(const std::string& file, TDescriptions& d) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file);
  std::string text;
  int number = 0;
  std::vector<TLine>* block = nullptr;  // the picture or template being read
  std::string blockWhere;
  while (std::getline(in, text)) {
    ++number;
    TLine line{Tokenise(text, file + ":" + std::to_string(number)), file + ":" + std::to_string(number)};
    if (line.Words.empty()) continue;
    const std::string& cmd = line.Words[0];
    if (cmd == "end") {
      if (!block) Fail(line.Where, "\"end\" without a block");
      block = nullptr;
    } else if (block) {
      if (cmd == "picture" || cmd == "template" || cmd == "colour") Fail(line.Where, "missing \"end\"");
      block->push_back(line);
    } else if (cmd == "colour") {
      const QColor c = QColor::fromString(QString::fromStdString(Word(line, 2)));
      if (!c.isValid()) Fail(line.Where, "bad colour " + Word(line, 2));
      d.Colours[Word(line, 1)] = c;
    } else if (cmd == "template") {
      block = &d.Templates[Word(line, 1)];
      blockWhere = line.Where;
    } else if (cmd == "picture") {
      TPictureDesc p;
      p.Name = Word(line, 1);
      p.Width = ToInt(line, 2);
      p.Height = ToInt(line, 3);
      p.Grey = line.Words.size() > 4 && line.Words[4] == "grey";
      if (p.Width <= 0 || p.Height <= 0 || p.Width > 4000 || p.Height > 4000) Fail(line.Where, "bad size");
      for (const auto& q : d.Pictures)
        if (q.Name == p.Name) Fail(line.Where, "picture " + p.Name + " described twice");
      d.Pictures.push_back(p);
      block = &d.Pictures.back().Commands;
      blockWhere = line.Where;
    } else {
      Fail(line.Where, "unknown command outside a picture: " + cmd);
    }
  }
  if (block) Fail(blockWhere, "block without \"end\"");
}

class TPainterRun {
 public:
  TPainterRun(const TDescriptions& d, QPainter& p, int width, int height) : D(d), P(p), Width(width), Height(height) {}

  void Run(const std::vector<TLine>& commands, int depth = 0) {
    if (depth > 8) Fail(commands.empty() ? "?" : commands.front().Where, "templates nested too deeply");
    for (const auto& line : commands) Command(line, depth);
  }

 private:
  const TDescriptions& D;
  QPainter& P;
  int Width, Height;

  QColor Colour(const TLine& line, std::size_t k) const {
    const std::string& w = Word(line, k);
    if (auto it = D.Colours.find(w); it != D.Colours.end()) return it->second;
    const QColor c = QColor::fromString(QString::fromStdString(w));
    if (!c.isValid()) Fail(line.Where, "unknown colour " + w);
    return c;
  }

  QColor Named(const char* name) const {
    if (auto it = D.Colours.find(name); it != D.Colours.end()) return it->second;
    throw std::runtime_error(std::string("the palette lacks the colour ") + name);
  }

  static QFont Font(const TLine& line, std::size_t k) {
    const QString word = QString::fromStdString(Word(line, k));
    const QStringList parts = word.split(':');
    if (parts.size() < 2) Fail(line.Where, "font needs family:pixels");
    QString family = parts[0];
    if (family == "sans") family = "DejaVu Sans";
    if (family == "condensed") family = "DejaVu Sans Condensed";
    if (family == "serif") family = "DejaVu Serif";
    if (family == "liberation") family = "Liberation Sans";
    QFont f(family);
    bool ok = false;
    const int px = parts[1].toInt(&ok);
    if (!ok || px <= 0) Fail(line.Where, "bad font size in " + word.toStdString());
    f.setPixelSize(px);
    const QString style = parts.size() > 2 ? parts[2] : QString();
    f.setBold(style.contains("bold"));
    f.setItalic(style.contains("italic"));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
  }

  static QPainterPath Rounded(const QRectF& r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
  }

  void SoftShadow(const QRectF& r, double radius, int spread, int alpha) {
    P.setPen(Qt::NoPen);
    for (int i = spread; i >= 1; --i) {
      P.setBrush(QColor(0, 0, 0, alpha / spread));
      P.drawPath(Rounded(r.adjusted(-i, -i + 2, i, i + 2), radius + i));
    }
  }

  void Command(const TLine& line, int depth) {
    const std::string& cmd = line.Words[0];
    P.save();
    if (cmd == "use") {
      auto it = D.Templates.find(Word(line, 1));
      if (it == D.Templates.end()) Fail(line.Where, "unknown template " + Word(line, 1));
      if (line.Words.size() > 3) P.translate(ToInt(line, 2), ToInt(line, 3));
      Run(it->second, depth + 1);
    } else if (cmd == "fill") {
      P.fillRect(0, 0, Width, Height, Colour(line, 1));
    } else if (cmd == "rect") {
      P.fillRect(ToInt(line, 1), ToInt(line, 2), ToInt(line, 3), ToInt(line, 4), Colour(line, 5));
    } else if (cmd == "gradient") {
      const QRectF r(ToInt(line, 1), ToInt(line, 2), ToInt(line, 3), ToInt(line, 4));
      const bool horizontal = line.Words.size() > 7 && line.Words[7] == "horizontal";
      QLinearGradient g(r.topLeft(), horizontal ? r.topRight() : r.bottomLeft());
      g.setColorAt(0, Colour(line, 5));
      g.setColorAt(1, Colour(line, 6));
      P.fillRect(r, g);
    } else if (cmd == "glow") {
      const QPointF c(ToInt(line, 1), ToInt(line, 2));
      const double radius = ToInt(line, 3);
      QColor inner = Colour(line, 4);
      QColor outer = inner;
      outer.setAlpha(0);
      QRadialGradient g(c, radius);
      g.setColorAt(0, inner);
      g.setColorAt(1, outer);
      P.fillRect(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), g);
    } else if (cmd == "round" || cmd == "card") {
      const QRectF r(ToInt(line, 1), ToInt(line, 2), ToInt(line, 3), ToInt(line, 4));
      const double radius = ToInt(line, 5);
      P.setRenderHint(QPainter::Antialiasing);
      if (cmd == "card") SoftShadow(r, radius, 6, 90);
      P.setBrush(Colour(line, 6));
      if (line.Words.size() > 7) {
        const double w = line.Words.size() > 8 ? ToInt(line, 8) : 1;
        P.setPen(QPen(Colour(line, 7), w));
        P.drawPath(Rounded(r.adjusted(w / 2, w / 2, -w / 2, -w / 2), radius));
      } else {
        P.setPen(Qt::NoPen);
        P.drawPath(Rounded(r, radius));
      }
    } else if (cmd == "line") {
      P.setRenderHint(QPainter::Antialiasing);
      QPen pen(Colour(line, 6), ToInt(line, 5));
      pen.setCapStyle(Qt::RoundCap);
      if (line.Words.size() > 7) pen.setStyle(line.Words[7] == "dotted" ? Qt::DotLine : Qt::DashLine);
      P.setPen(pen);
      P.drawLine(QPointF(ToInt(line, 1), ToInt(line, 2)), QPointF(ToInt(line, 3), ToInt(line, 4)));
    } else if (cmd == "circle" || cmd == "hexagon") {
      P.setRenderHint(QPainter::Antialiasing);
      const QPointF c(ToInt(line, 1), ToInt(line, 2));
      const double radius = ToInt(line, 3);
      const QColor colour = Colour(line, 4);
      if (line.Words.size() > 5 && line.Words[5] == "ring") {
        P.setPen(QPen(colour, ToInt(line, 6)));
        P.setBrush(Qt::NoBrush);
      } else {
        P.setPen(Qt::NoPen);
        P.setBrush(colour);
      }
      if (cmd == "circle")
        P.drawEllipse(c, radius, radius);
      else
        P.drawPolygon(Hexagon(c, radius));
    } else if (cmd == "text") {
      const QRectF r(ToInt(line, 1), ToInt(line, 2), ToInt(line, 3), ToInt(line, 4));
      P.setFont(Font(line, 6));
      P.setPen(Colour(line, 7));
      P.setRenderHint(QPainter::TextAntialiasing);
      P.drawText(r, Alignment(line, 5) | Qt::TextWordWrap, KeepPrepositions(QString::fromStdString(Word(line, 8))));
    } else if (cmd == "rtext") {
      P.setRenderHint(QPainter::Antialiasing);
      P.setRenderHint(QPainter::TextAntialiasing);
      P.translate(ToInt(line, 1), ToInt(line, 2));
      P.rotate(ToInt(line, 3));
      P.setFont(Font(line, 4));
      P.setPen(Colour(line, 5));
      P.drawText(QPointF(0, 0), QString::fromStdString(Word(line, 6)));
    } else if (cmd == "icon") {
      DrawIcon(line, Word(line, 1), QPointF(ToInt(line, 2), ToInt(line, 3)), ToInt(line, 4), Colour(line, 5));
    } else if (cmd == "button") {
      DrawButton(line);
    } else if (cmd == "answerbox") {
      DrawAnswerBox(line);
    } else if (cmd == "riasec") {
      DrawRiasec(QPointF(ToInt(line, 1), ToInt(line, 2)), ToInt(line, 3));
    } else {
      Fail(line.Where, "unknown command " + cmd);
    }
    P.restore();
  }

  // Czech typesetting: a one-letter preposition or conjunction never ends a
  // line; it is bound to the next word with a no-break space.
  static QString KeepPrepositions(QString text) {
    static const QRegularExpression single(QStringLiteral("(^|\\s)([vszkouaiVSZKOUAI]) "));
    return text.replace(single, QStringLiteral("\\1\\2\u00A0"));
  }

  static Qt::Alignment Alignment(const TLine& line, std::size_t k) {
    const std::string& a = Word(line, k);
    Qt::Alignment r = Qt::AlignLeft;
    if (a.starts_with("center")) r = Qt::AlignHCenter;
    if (a.starts_with("right")) r = Qt::AlignRight;
    if (a.starts_with("justify")) r = Qt::AlignJustify;
    if (a.ends_with("-middle"))
      r |= Qt::AlignVCenter;
    else if (a.ends_with("-bottom"))
      r |= Qt::AlignBottom;
    else
      r |= Qt::AlignTop;
    return r;
  }

  static QPolygonF Hexagon(QPointF c, double radius) {
    QPolygonF poly;
    for (int i = 0; i < 6; ++i) {
      const double a = (-90 + 60 * i) * std::numbers::pi / 180;
      poly << QPointF(c.x() + radius * std::cos(a), c.y() + radius * std::sin(a));
    }
    return poly;
  }

  void DrawRiasec(QPointF c, double radius) {
    P.setRenderHint(QPainter::Antialiasing);
    const QPolygonF hex = Hexagon(c, radius);
    P.setPen(QPen(Named("riasec_line"), std::max(1.0, radius / 40)));
    P.setBrush(Qt::NoBrush);
    P.drawPolygon(hex);
    for (int i = 0; i < 3; ++i) P.drawLine(hex[i], hex[i + 3]);
    const char* letters = "RIASEC";
    const double dot = radius * 0.24;
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(static_cast<int>(dot * 1.15));
    P.setFont(f);
    for (int i = 0; i < 6; ++i) {
      QRadialGradient g(hex[i] - QPointF(dot / 3, dot / 3), dot * 1.4);
      g.setColorAt(0, Named("riasec_dot_light"));
      g.setColorAt(1, Named("riasec_dot"));
      P.setPen(QPen(Named("riasec_line"), std::max(1.0, radius / 60)));
      P.setBrush(g);
      P.drawEllipse(hex[i], dot, dot);
      P.setPen(Named("riasec_letter"));
      P.drawText(QRectF(hex[i].x() - dot, hex[i].y() - dot, 2 * dot, 2 * dot), Qt::AlignCenter,
                 QString(QChar(letters[i])));
    }
  }

  void DrawAnswerBox(const TLine& line) {
    const QRectF r(ToInt(line, 1), ToInt(line, 2), ToInt(line, 3), ToInt(line, 4));
    const bool chosen = Word(line, 5) == "click";
    P.setRenderHint(QPainter::Antialiasing);
    const QRectF box = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, Named(chosen ? "box_click_top" : "box_top"));
    g.setColorAt(1, Named(chosen ? "box_click_bottom" : "box_bottom"));
    P.setBrush(g);
    P.setPen(QPen(Named(chosen ? "box_click_border" : "box_border"), 1));
    P.drawPath(Rounded(box, 3.5));
  }

  void DrawButton(const TLine& line) {
    const QRectF r(ToInt(line, 1), ToInt(line, 2), ToInt(line, 3), ToInt(line, 4));
    const std::string look = Word(line, 5);
    if (look != "normal" && look != "over") Fail(line.Where, "a button's look is normal or over");
    const bool over = look == "over";
    const QString label = QString::fromStdString(Word(line, 6));
    const std::string icon = line.Words.size() > 7 ? line.Words[7] : "";
    const std::string iconPlace = line.Words.size() > 8 ? line.Words[8] : "left";
    const double radius = std::min(r.width(), r.height()) * 0.2;

    P.setRenderHint(QPainter::Antialiasing);
    P.setRenderHint(QPainter::TextAntialiasing);
    if (over) {
      // A warm halo around the lifted button.
      P.setPen(Qt::NoPen);
      for (int i = 5; i >= 1; --i) {
        QColor halo = Named("over_glow");
        halo.setAlpha(halo.alpha() * (6 - i) / 10);
        P.setBrush(halo);
        P.drawPath(Rounded(r.adjusted(-i, -i, i, i), radius + i));
      }
    } else {
      SoftShadow(r, radius, 4, 110);
    }
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, Named(over ? "over_top" : "button_top"));
    g.setColorAt(0.55, Named(over ? "over_middle" : "button_middle"));
    g.setColorAt(1, Named(over ? "over_bottom" : "button_bottom"));
    P.setBrush(g);
    P.setPen(QPen(Named(over ? "over_border" : "button_border"), 1.5));
    P.drawPath(Rounded(r.adjusted(0.75, 0.75, -0.75, -0.75), radius));
    // Gloss on the upper half.
    QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, over ? 110 : 70));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    P.setPen(Qt::NoPen);
    P.setBrush(gloss);
    P.drawPath(Rounded(QRectF(r.left() + 3, r.top() + 2, r.width() - 6, r.height() / 2), radius - 2));

    const QColor ink = Named(over ? "over_text" : "button_text");
    const QColor inkShadow = Named(over ? "over_text_shadow" : "button_text_shadow");
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setHintingPreference(QFont::PreferNoHinting);
    const int fontPx =
        line.Words.size() > 9 ? ToInt(line, 9) : static_cast<int>(std::clamp(r.height() * 0.3, 12.0, 20.0));
    f.setPixelSize(fontPx);
    P.setFont(f);
    const QFontMetricsF fm(f);
    double textWidth = 0;
    for (const QString& part : label.split('\n')) textWidth = std::max(textWidth, fm.horizontalAdvance(part));
    const double textHeight = fm.height() * (label.count('\n') + 1);

    QRectF textBox = r;
    if (!icon.empty() && icon != "none") {
      if (label.isEmpty()) {
        DrawIcon(line, icon, r.center(), std::min(r.width(), r.height()) * 0.6, ink, inkShadow);
      } else if (iconPlace == "top") {
        const double size = std::min(r.width() * 0.45, (r.height() - textHeight) * 0.62);
        const double gap = size * 0.18;
        const double top = r.top() + (r.height() - size - gap - textHeight) / 2;
        DrawIcon(line, icon, QPointF(r.center().x(), top + size / 2), size, ink, inkShadow);
        textBox = QRectF(r.left(), top + size + gap, r.width(), textHeight);
      } else {
        const double size = fontPx * 1.25;
        const double gap = fontPx * 0.5;
        const double total = size + gap + textWidth;
        const double left = r.center().x() - total / 2;
        if (iconPlace == "right") {
          DrawIcon(line, icon, QPointF(left + textWidth + gap + size / 2, r.center().y()), size, ink, inkShadow);
          textBox = QRectF(left, r.top(), textWidth, r.height());
        } else {
          DrawIcon(line, icon, QPointF(left + size / 2, r.center().y()), size, ink, inkShadow);
          textBox = QRectF(left + size + gap, r.top(), textWidth, r.height());
        }
      }
    }
    if (!label.isEmpty()) {
      P.setPen(inkShadow);
      P.drawText(textBox.translated(0, 1), Qt::AlignCenter, label);
      P.setPen(ink);
      P.drawText(textBox, Qt::AlignCenter, label);
    }
  }

  void DrawIcon(const TLine& line, const std::string& kind, QPointF c, double size, QColor ink,
                QColor shadow = QColor(0, 0, 0, 0)) {
    if (shadow.alpha() > 0) {
      DrawIconShape(line, kind, c + QPointF(0, 1), size, shadow);
    }
    DrawIconShape(line, kind, c, size, ink);
  }

  // A bold character in the middle of an icon's square.
  void Glyph(QColor ink, int pixels, const char* text) {
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(pixels);
    P.setFont(f);
    P.setPen(ink);
    P.drawText(QRectF(-50, -50, 100, 100), Qt::AlignCenter, text);
  }

  void DrawIconShape(const TLine& line, const std::string& kind, QPointF c, double s, QColor ink) {
    P.save();
    P.setRenderHint(QPainter::Antialiasing);
    P.translate(c);
    P.scale(s / 100.0, s / 100.0);  // icons are drawn on a 100 x 100 square around the centre
    QPen pen(ink, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    P.setPen(pen);
    P.setBrush(Qt::NoBrush);
    if (kind == "arrowright" || kind == "arrowleft") {
      if (kind == "arrowleft") P.scale(-1, 1);
      P.setPen(Qt::NoPen);
      P.setBrush(ink);
      QPolygonF a;
      a << QPointF(-42, -14) << QPointF(2, -14) << QPointF(2, -38) << QPointF(46, 0) << QPointF(2, 38) << QPointF(2, 14)
        << QPointF(-42, 14);
      P.drawPolygon(a);
    } else if (kind == "check") {
      pen.setWidth(16);
      P.setPen(pen);
      P.drawPolyline(QPolygonF({QPointF(-36, 2), QPointF(-10, 28), QPointF(38, -30)}));
    } else if (kind == "cross" || kind == "close") {
      pen.setWidth(16);
      P.setPen(pen);
      P.drawLine(QPointF(-28, -28), QPointF(28, 28));
      P.drawLine(QPointF(28, -28), QPointF(-28, 28));
    } else if (kind == "flag") {
      P.drawLine(QPointF(-30, 46), QPointF(-30, -44));
      P.setPen(Qt::NoPen);
      P.setBrush(ink);
      QPolygonF flag;
      flag << QPointF(-30, -44) << QPointF(40, -28) << QPointF(-30, -6);
      P.drawPolygon(flag);
    } else if (kind == "print") {
      P.drawRect(QRectF(-24, -44, 48, 30));
      P.setBrush(ink);
      P.drawRoundedRect(QRectF(-44, -14, 88, 40), 8, 8);
      P.setBrush(Qt::NoBrush);
      P.setPen(QPen(ink, 8));
      P.drawRect(QRectF(-24, 12, 48, 34));
    } else if (kind == "chart") {
      P.setPen(Qt::NoPen);
      P.setBrush(ink);
      P.drawRect(QRectF(-40, 0, 18, 40));
      P.drawRect(QRectF(-12, -36, 18, 76));
      P.drawRect(QRectF(16, -16, 18, 56));
    } else if (kind == "code") {
      P.setPen(QPen(ink, 8));
      P.drawPolygon(Hexagon(QPointF(0, 0), 44));
      Glyph(ink, 44, "K");
    } else if (kind == "list") {
      P.setPen(QPen(ink, 9, Qt::SolidLine, Qt::RoundCap));
      for (int i = -1; i <= 1; ++i) {
        P.drawPoint(QPointF(-36, i * 30));
        P.drawLine(QPointF(-18, i * 30), QPointF(40, i * 30));
      }
    } else if (kind == "note") {
      P.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      QPolygonF sheet;
      sheet << QPointF(-34, -44) << QPointF(18, -44) << QPointF(36, -26) << QPointF(36, 44) << QPointF(-34, 44);
      P.drawPolygon(sheet);
      for (int i = 0; i < 3; ++i) P.drawLine(QPointF(-20, -14 + i * 20), QPointF(22, -14 + i * 20));
    } else if (kind == "pencil") {
      P.rotate(45);
      P.setPen(QPen(ink, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      P.drawRect(QRectF(-14, -46, 28, 66));
      QPolygonF tip;
      tip << QPointF(-14, 20) << QPointF(0, 46) << QPointF(14, 20);
      P.setBrush(ink);
      P.drawPolygon(tip);
      P.drawLine(QPointF(-14, -32), QPointF(14, -32));
    } else if (kind == "download") {
      P.setPen(QPen(ink, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      P.drawPolyline(QPolygonF({QPointF(-42, 10), QPointF(-42, 42), QPointF(42, 42), QPointF(42, 10)}));
      P.drawLine(QPointF(0, -46), QPointF(0, 18));
      P.drawPolyline(QPolygonF({QPointF(-22, -4), QPointF(0, 20), QPointF(22, -4)}));
    } else if (kind == "database") {
      P.setPen(QPen(ink, 8));
      for (int i = 0; i < 3; ++i) {
        const double y = -34 + i * 28;
        P.drawArc(QRectF(-36, y - 12 + 2, 72, 24), 180 * 16, 180 * 16);
      }
      P.drawEllipse(QRectF(-36, -46, 72, 24));
      P.drawLine(QPointF(-36, -34), QPointF(-36, 36));
      P.drawLine(QPointF(36, -34), QPointF(36, 36));
    } else if (kind == "person") {
      P.setPen(Qt::NoPen);
      P.setBrush(ink);
      P.drawEllipse(QPointF(0, -22), 20, 20);
      QPainterPath body;
      body.moveTo(-40, 46);
      body.cubicTo(-40, 6, 40, 6, 40, 46);
      body.closeSubpath();
      P.drawPath(body);
    } else if (kind == "question") {
      P.setPen(QPen(ink, 8));
      P.drawEllipse(QPointF(0, 0), 44, 44);
      Glyph(ink, 60, "?");
    } else if (kind == "warning") {
      P.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      QPolygonF tri;
      tri << QPointF(0, -44) << QPointF(46, 40) << QPointF(-46, 40);
      P.drawPolygon(tri);
      P.setPen(QPen(ink, 10, Qt::SolidLine, Qt::RoundCap));
      P.drawLine(QPointF(0, -14), QPointF(0, 12));
      P.drawPoint(QPointF(0, 28));
    } else if (kind == "star") {
      P.setPen(Qt::NoPen);
      P.setBrush(ink);
      QPolygonF star;
      for (int i = 0; i < 10; ++i) {
        const double a = (-90 + 36 * i) * std::numbers::pi / 180;
        const double rr = i % 2 ? 20 : 46;
        star << QPointF(rr * std::cos(a), rr * std::sin(a) + 4);
      }
      P.drawPolygon(star);
    } else if (kind == "save") {
      P.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      P.drawRoundedRect(QRectF(-40, -40, 80, 80), 8, 8);
      P.drawRect(QRectF(-22, -40, 44, 26));
      P.setBrush(ink);
      P.drawRect(QRectF(-24, 10, 48, 30));
    } else if (kind == "hexagon") {
      P.setPen(QPen(ink, 8));
      P.drawPolygon(Hexagon(QPointF(0, 0), 44));
    } else {
      Fail(line.Where, "unknown icon " + kind);
    }
    P.restore();
  }
};

// Writes the picture with libjpeg: quality 92, no chroma subsampling, so small
// coloured text keeps sharp edges.
void WriteJpeg(const QImage& picture, bool grey, const std::string& path) {
  const QImage rows = picture.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);  // a compressor error ends this tool, which fails the build
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  c.image_width = static_cast<JDIMENSION>(rows.width());
  c.image_height = static_cast<JDIMENSION>(rows.height());
  c.input_components = grey ? 1 : 3;
  c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 92, TRUE);
  for (int i = 0; i < c.num_components; ++i) {
    c.comp_info[i].h_samp_factor = 1;
    c.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows.constScanLine(static_cast<int>(c.next_scanline)));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  if (std::fclose(file) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  int first = 1;
  bool png = false;
  if (argc > 1 && std::string(argv[1]) == "--png") {
    png = true;
    first = 2;
  }
  if (argc - first < 2) {
    std::fprintf(stderr, "usage: picgen [--png] output-folder description...\n");
    return 2;
  }
  try {
    TDescriptions d;
    for (int i = first + 1; i < argc; ++i) Parse(argv[i], d);
    const std::string folder = argv[first];
    for (const auto& pic : d.Pictures) {
      QImage image(pic.Width, pic.Height, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        TPainterRun(d, painter, pic.Width, pic.Height).Run(pic.Commands);
      }
      if (png) {
        if (!image.save(QString::fromStdString(folder + "/" + pic.Name + ".png")))
          throw std::runtime_error("cannot write " + pic.Name + ".png");
      } else {
        WriteJpeg(image, pic.Grey, folder + "/" + pic.Name + ".jpg");
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "picgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
