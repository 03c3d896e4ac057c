#include "framework_items.h"

#include "framework_content.h"

std::array<TScale, ItemCount + 1> ItemScale{};
std::array<std::array<std::string, ItemCount + 1>, 2> ItemTexts;
std::array<TPage, PageCount + 1> Pages;

namespace {
constexpr int TextsPerScale = ItemCount / ScaleCount;
}

void InitItems() {
  // The store holds the texts scale by scale; item n shows text (n - 1) div 6 + 1 of scale (n - 1) mod 6.
  const std::vector<std::string> store = ReadScaleTexts("items.txt", TextsPerScale);
  for (int n = 1; n <= ItemCount; ++n) {
    const int scale = (n - 1) % ScaleCount;
    const int text = (n - 1) / ScaleCount;
    ItemScale[n] = static_cast<TScale>(scale);
    const std::string shown = std::to_string(n) + ". " + store[scale * TextsPerScale + text];
    for (auto& variant : ItemTexts) variant[n] = shown;
  }
}

void InitPages() {
  for (int k = 1; k <= PageCount; ++k) {
    Pages[k] = TPage{"Stranka c." + std::to_string(k), ItemsPerPage * k - (ItemsPerPage - 1), ItemsPerPage * k};
  }
}
