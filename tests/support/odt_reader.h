#pragma once
// Reads the paragraphs of a flat OpenDocument text (.fodt) back, with the
// font of their characters resolved through the styles, so tests can check
// a written document paragraph by paragraph and cell by cell.
#include <QHash>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <optional>
#include <ostream>
#include <vector>

struct TOdtParagraph {
  QString Text;             // line breaks as "\n"
  QString Font;             // "" when the characters differ
  double Size = 0;          // -1 when the characters differ
  int Bold = 0;             // 1, 0, or -1 when the characters differ
  int Row = 0, Column = 0;  // from 1 inside a table cell, else 0
  bool operator==(const TOdtParagraph&) const = default;
};

inline void PrintTo(const TOdtParagraph& p, std::ostream* out) {
  *out << '"' << p.Text.toStdString() << "\" " << p.Font.toStdString() << ' ' << p.Size << "pt bold " << p.Bold
       << " cell " << p.Row << ',' << p.Column;
}

namespace odt_reader_detail {

struct TStyle {
  QString Parent;
  std::optional<QString> Font;
  std::optional<double> Size;
  std::optional<bool> Bold;
};

struct TFont {
  QString Name;
  double Size = 0;
  bool Bold = false;
  bool operator==(const TFont&) const = default;
};

inline void Resolve(const QHash<QString, TStyle>& styles, const QString& name, TFont& font) {
  std::vector<const TStyle*> chain;
  for (QString n = name; !n.isEmpty() && styles.contains(n) && chain.size() < 20; n = styles[n].Parent)
    chain.push_back(&*styles.constFind(n));
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if ((*it)->Font) font.Name = *(*it)->Font;
    if ((*it)->Size) font.Size = *(*it)->Size;
    if ((*it)->Bold) font.Bold = *(*it)->Bold;
  }
}

}  // namespace odt_reader_detail

// The paragraphs of the body in document order, those of table cells included.
inline std::vector<TOdtParagraph> ReadOdtParagraphs(const QByteArray& fodt) {
  using namespace odt_reader_detail;
  QHash<QString, TStyle> styles;
  TStyle defaults;
  std::vector<TOdtParagraph> paragraphs;
  QXmlStreamReader xml(fodt);
  QString currentStyle;
  bool inDefault = false, inBody = false;
  int row = 0, column = 0, tableDepth = 0;
  // Within a paragraph: the font of each character, and the stack of span fonts.
  std::vector<TFont> fonts, spanStack;
  TFont paragraphFont;
  auto add = [&](const QString& text) {
    paragraphs.back().Text += text;
    fonts.insert(fonts.end(), text.size(), spanStack.back());
  };
  auto fontOf = [&](const QString& style, const TFont& base) {
    TFont f = base;
    Resolve(styles, style, f);
    return f;
  };
  while (!xml.atEnd()) {
    xml.readNext();
    const QString name = xml.qualifiedName().toString();
    if (xml.isStartElement()) {
      const auto attr = [&](const char* a) { return xml.attributes().value(QString::fromLatin1(a)).toString(); };
      if (name == u"style:style") {
        currentStyle = attr("style:name");
        styles[currentStyle].Parent = attr("style:parent-style-name");
      } else if (name == u"style:default-style" && attr("style:family") == u"paragraph") {
        inDefault = true;
      } else if (name == u"style:text-properties" && (inDefault || !currentStyle.isEmpty())) {
        TStyle& s = inDefault ? defaults : styles[currentStyle];
        if (xml.attributes().hasAttribute(QStringLiteral("style:font-name"))) s.Font = attr("style:font-name");
        if (xml.attributes().hasAttribute(QStringLiteral("fo:font-size")))
          s.Size = attr("fo:font-size").chopped(2).toDouble();
        if (xml.attributes().hasAttribute(QStringLiteral("fo:font-weight"))) s.Bold = attr("fo:font-weight") == u"bold";
      } else if (name == u"office:body") {
        inBody = true;
      } else if (inBody && name == u"table:table") {
        ++tableDepth;
        row = 0;
      } else if (inBody && name == u"table:table-row") {
        ++row;
        column = 0;
      } else if (inBody && name == u"table:table-cell") {
        ++column;
      } else if (inBody && name == u"text:p") {
        TFont base{defaults.Font.value_or(QString()), defaults.Size.value_or(0), defaults.Bold.value_or(false)};
        paragraphFont = fontOf(attr("text:style-name"), base);
        paragraphs.push_back({});
        paragraphs.back().Row = tableDepth ? row : 0;
        paragraphs.back().Column = tableDepth ? column : 0;
        fonts.clear();
        spanStack = {paragraphFont};
      } else if (inBody && name == u"text:span") {
        spanStack.push_back(fontOf(attr("text:style-name"), spanStack.back()));
      } else if (inBody && !spanStack.empty() && name == u"text:s") {
        const QString c = attr("text:c");
        add(QString(c.isEmpty() ? 1 : c.toInt(), QLatin1Char(' ')));
      } else if (inBody && !spanStack.empty() && name == u"text:line-break") {
        add(QStringLiteral("\n"));
      }
    } else if (xml.isCharacters() && inBody && !spanStack.empty()) {
      add(xml.text().toString());
    } else if (xml.isEndElement()) {
      if (name == u"style:style") currentStyle.clear();
      if (name == u"style:default-style") inDefault = false;
      if (name == u"table:table") --tableDepth;
      if (name == u"text:span") spanStack.pop_back();
      if (name == u"text:p") {
        TOdtParagraph& p = paragraphs.back();
        const TFont f = fonts.empty() ? paragraphFont : fonts.front();
        const bool same = std::all_of(fonts.begin(), fonts.end(), [&](const TFont& g) { return g == f; });
        p.Font = same ? f.Name : QString();
        p.Size = same ? f.Size : -1;
        p.Bold = same ? (f.Bold ? 1 : 0) : -1;
        spanStack.clear();
      }
    }
  }
  if (xml.hasError()) {
    paragraphs.push_back({});
    paragraphs.back().Text = QStringLiteral("XML error: ") + xml.errorString();
  }
  return paragraphs;
}
