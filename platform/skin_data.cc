// The skin library's style-sheet template and the palettes of the 33 embedded
// skins, all our own. Each skin block is the text form of one palette row.

#include <array>
#include <string>
#include <string_view>

#include "platform/skin_engine.h"

namespace vellox::platform {
namespace {

// Qt style-sheet syntax; @name@ is filled from the skin's palette.
constexpr std::string_view kStyleTemplate = R"css(QWidget {
  background-color: @window@;
  color: @text@;
  selection-background-color: @accent@;
  selection-color: @accent_text@;
}
QWidget:disabled { color: @border@; }
QLabel, QRadioButton, QCheckBox { background: transparent; }
QTabWidget::pane {
  border: 1px solid @border@;
  border-radius: @radius@px;
  top: -1px;
  background-color: @window@;
}
QTabBar::tab {
  background-color: @base@;
  color: @text@;
  border: 1px solid @border@;
  border-bottom: none;
  border-top-left-radius: @radius@px;
  border-top-right-radius: @radius@px;
  padding: 4px 14px;
  margin-right: 2px;
}
QTabBar::tab:selected { background-color: @accent@; color: @accent_text@; }
QTabBar::tab:hover:!selected { border-color: @accent@; }
QGroupBox {
  border: 1px solid @border@;
  border-radius: @radius@px;
  margin-top: 9px;
  padding-top: 3px;
}
QGroupBox::title {
  subcontrol-origin: margin;
  left: 8px;
  padding: 0 3px;
  color: @accent@;
}
QLineEdit, QTextEdit, QPlainTextEdit {
  background-color: @base@;
  color: @text@;
  border: 1px solid @border@;
  border-radius: @radius@px;
  padding: 2px 4px;
}
QLineEdit:focus, QTextEdit:focus, QPlainTextEdit:focus { border-color: @accent@; }
QPushButton {
  background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @base@, stop: 1 @window@);
  color: @text@;
  border: 1px solid @border@;
  border-radius: @radius@px;
  padding: 3px 12px;
}
QPushButton:hover { border-color: @accent@; }
QPushButton:pressed, QPushButton:default:pressed {
  background-color: @accent@;
  color: @accent_text@;
}
QTreeView, QTreeWidget, QListView, QTableView {
  background-color: @base@;
  alternate-background-color: @window@;
  color: @text@;
  border: 1px solid @border@;
}
QTreeView::item:selected, QListView::item:selected, QTableView::item:selected {
  background-color: @accent@;
  color: @accent_text@;
}
QHeaderView::section {
  background-color: @window@;
  color: @text@;
  border: none;
  border-right: 1px solid @border@;
  border-bottom: 1px solid @border@;
  padding: 3px 6px;
}
QScrollBar:vertical, QScrollBar:horizontal { background-color: @window@; border: none; }
QScrollBar::handle:vertical, QScrollBar::handle:horizontal {
  background-color: @border@;
  border-radius: 3px;
  min-height: 20px;
  min-width: 20px;
}
QScrollBar::handle:hover { background-color: @accent@; }
QToolTip {
  background-color: @base@;
  color: @text@;
  border: 1px solid @accent@;
}
)css";

struct Palette {
  const char* name;
  const char* window;
  const char* base;
  const char* text;
  const char* accent;
  const char* accent_text;
  const char* border;
  int radius;
};

// Skin n is row n - 1. Row 13 is the program's default look.
constexpr std::array<Palette, kEmbeddedSkinCount> kPalettes{{
    {"Porcelain", "#f4f6f8", "#ffffff", "#1f2933", "#3e7bd6", "#ffffff", "#c5ccd6", 3},
    {"Graphite", "#2b2f36", "#1f2328", "#e6e8eb", "#5a9cf8", "#0d1117", "#444c56", 3},
    {"Sage", "#eef3ee", "#fbfdfb", "#22332a", "#5b8c5a", "#ffffff", "#b9cdb9", 4},
    {"Sand", "#f6f0e4", "#fffcf5", "#3b3024", "#b07a2e", "#ffffff", "#d9c9ad", 2},
    {"Midnight", "#1c2333", "#141a26", "#dfe6f3", "#6c8cff", "#0b1020", "#33405a", 4},
    {"Rose", "#f8eef1", "#fffafb", "#3a2228", "#c05274", "#ffffff", "#e2c3cd", 6},
    {"Ocean", "#e8f2f7", "#f9fcfe", "#16313f", "#1f7fa8", "#ffffff", "#b6d3e1", 3},
    {"Lavender", "#f1eef8", "#fcfbff", "#2c2540", "#7b5fc7", "#ffffff", "#cfc6e6", 5},
    {"Pine", "#1f2a24", "#17201b", "#dce8df", "#58b27a", "#0f1712", "#35473c", 2},
    {"Amber", "#fdf5e6", "#fffdf8", "#3d2f12", "#e09a1a", "#1f1400", "#e6d2a8", 3},
    {"Slate", "#e4e8ee", "#f5f7fa", "#1e2530", "#4a6280", "#ffffff", "#b4bfcc", 0},
    {"Mint", "#e9f7f2", "#fbfffd", "#173a2f", "#1f946d", "#ffffff", "#b3e0cf", 4},
    {"Sky", "#eaf1f8", "#ffffff", "#1b2a3a", "#2f74c0", "#ffffff", "#b8c9dc", 3},
    {"Coral", "#fdf0ec", "#fffaf8", "#3c241c", "#d2583c", "#ffffff", "#eccabf", 5},
    {"Ember", "#302a27", "#231f1d", "#eee6e0", "#e39b5c", "#1a1410", "#4d4440", 3},
    {"Glacier", "#f0f7fb", "#ffffff", "#1d3140", "#5aa9d6", "#0b2030", "#c9dfeb", 6},
    {"Olive", "#f1f2e6", "#fcfdf6", "#30321c", "#6f7b22", "#ffffff", "#cfd2b0", 2},
    {"Plum", "#2e2233", "#221927", "#eadff0", "#c07ad8", "#1a0f20", "#4a3a52", 4},
    {"Steel", "#dfe3e8", "#f3f5f7", "#202428", "#5c6b7a", "#ffffff", "#aeb6bf", 0},
    {"Peach", "#fff3ea", "#fffbf7", "#402a1c", "#f08c4a", "#2a1505", "#f0d3bd", 5},
    {"Teal", "#e6f4f4", "#f9fefe", "#133536", "#16898c", "#ffffff", "#addbdc", 3},
    {"Ruby", "#f6ecec", "#fffafa", "#3a1c1c", "#b23a3a", "#ffffff", "#dfc0c0", 2},
    {"Fjord", "#2e3440", "#272c36", "#e5e9f0", "#88c0d0", "#1a1f28", "#434c5e", 4},
    {"Lemon", "#fbf9e4", "#fffef6", "#35321a", "#9c8912", "#ffffff", "#e0dbaa", 3},
    {"Cobalt", "#1a2540", "#121a30", "#dde5f7", "#4f8cf0", "#08101f", "#2e3d63", 2},
    {"Moss", "#e9eee3", "#f9fbf6", "#283220", "#5f8245", "#ffffff", "#c3cfb6", 4},
    {"Orchid", "#f6eef6", "#fffbff", "#382238", "#a050a0", "#ffffff", "#ddc5dd", 6},
    {"Clay", "#f3ebe5", "#fdf9f6", "#3a2a20", "#a86b45", "#ffffff", "#d8c4b6", 3},
    {"Ink", "#202124", "#17181a", "#e8eaed", "#8ab4f8", "#101114", "#3c4043", 5},
    {"Lagoon", "#e8f8fb", "#fafeff", "#143840", "#178fa6", "#ffffff", "#b1dde6", 3},
    {"Blossom", "#fbeff3", "#fffafc", "#3d2530", "#d0668a", "#ffffff", "#efcbd7", 6},
    {"Indigo", "#eceef8", "#fbfbff", "#1f2344", "#3f51b5", "#ffffff", "#c3c8e6", 3},
    {"Espresso", "#2a211c", "#201915", "#efe4da", "#c8915a", "#1a120c", "#4a3b32", 2},
}};

std::string SkinBlock(const Palette& p) {
  std::string block(kSkinBlockMagic);
  const auto line = [&block](std::string_view key, std::string_view value) {
    block.append(key).append("=").append(value).append("\n");
  };
  line("name", p.name);
  line("window", p.window);
  line("base", p.base);
  line("text", p.text);
  line("accent", p.accent);
  line("accent_text", p.accent_text);
  line("border", p.border);
  line("radius", std::to_string(p.radius));
  return block;
}

}  // namespace

std::string_view SkinLibraryImage() {
  static const std::string image = std::string(kSkinLibraryMagic) + std::string(kStyleTemplate);
  return image;
}

std::string_view EmbeddedSkin(int number) {
  static const auto blocks = [] {
    std::array<std::string, kEmbeddedSkinCount> all;
    for (int i = 0; i < kEmbeddedSkinCount; ++i) all[i] = SkinBlock(kPalettes[i]);
    return all;
  }();
  if (number < 1 || number > kEmbeddedSkinCount) return {};
  return blocks[number - 1];
}

}  // namespace vellox::platform
